#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessary {

// The serial ports that could be a bridge, from what the system already knows: the links in
// /dev/serial/by-id and the USB vendor and product in sysfs. None is opened: opening a port
// resets most Arduino boards, and the next one may be someone's 3D printer.
class SerialPorts
{
public:
    struct Port
    {
        std::string path;        // /dev/ttyACM0
        std::string byId;        // usb-Arduino__www.arduino.cc__0043_...-if00, or empty
        std::string usbId;       // 2341:0043, or empty
        std::string description; // manufacturer and product as the device names them
        bool boardLike = false;  // a vendor that makes Arduino boards or their USB bridges
    };

    // `root` is "/" but for tests.
    static std::vector<Port> list(const std::filesystem::path& root = "/");
};

} // namespace tessary
