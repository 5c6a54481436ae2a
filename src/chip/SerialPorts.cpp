#include "SerialPorts.h"

#include <algorithm>
#include <fstream>
#include <map>

namespace tessary {

namespace {

namespace fs = std::filesystem;

std::string firstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// Arduino, its clones' USB bridges (WCH CH340, FTDI, Silicon Labs CP210x), and Arduino.org.
bool boardVendor(const std::string& vendor)
{
    static const char* const vendors[] = {"2341", "2a03", "1a86", "0403", "10c4", "239a"};
    return std::find(std::begin(vendors), std::end(vendors), vendor) != std::end(vendors);
}

} // namespace

std::vector<SerialPorts::Port> SerialPorts::list(const fs::path& root)
{
    std::map<std::string, Port> ports; // by device name
    std::error_code ec;
    for (const auto& link : fs::directory_iterator(root / "dev/serial/by-id", ec)) {
        fs::path target = fs::read_symlink(link.path(), ec);
        if (ec)
            continue;
        const std::string name = target.filename().string();
        Port& p = ports[name];
        p.byId = link.path().filename().string();
    }
    // USB serial devices the kernel knows, with or without a by-id link.
    for (const auto& tty : fs::directory_iterator(root / "sys/class/tty", ec)) {
        const std::string name = tty.path().filename().string();
        if (name.rfind("ttyACM", 0) == 0 || name.rfind("ttyUSB", 0) == 0)
            ports[name];
    }
    std::vector<Port> out;
    for (auto& [name, p] : ports) {
        p.path = (fs::path("/dev") / name).string();
        // The interface's device folder; its USB device is one or two folders up.
        fs::path dir = fs::canonical(root / "sys/class/tty" / name / "device", ec);
        for (int up = 0; up < 3 && !ec && !dir.empty(); ++up, dir = dir.parent_path()) {
            const std::string vendor = firstLine(dir / "idVendor");
            if (vendor.empty())
                continue;
            p.usbId = vendor + ":" + firstLine(dir / "idProduct");
            const std::string maker = firstLine(dir / "manufacturer");
            const std::string product = firstLine(dir / "product");
            p.description = maker + (maker.empty() || product.empty() ? "" : " ") + product;
            p.boardLike = boardVendor(vendor);
            break;
        }
        out.push_back(std::move(p));
    }
    return out;
}

} // namespace tessary
