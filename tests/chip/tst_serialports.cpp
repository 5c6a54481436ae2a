// The serial ports offered for a bridge, from a system tree built for the test: what /dev and
// sysfs say, and nothing opened.
#include "chip/SerialPorts.h"

#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

using namespace tessary;
namespace fs = std::filesystem;

class TestSerialPorts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsWhatTheSystemKnows();
};

namespace {

void write(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
}

// A USB serial device as sysfs shows it: the tty's device link to the interface, whose parent
// is the USB device with its ids and names.
void usbTty(const fs::path& root, const std::string& tty, const std::string& vendor,
            const std::string& product, const std::string& maker, const std::string& name)
{
    const fs::path usb = root / "sys/devices/usb1" / tty;
    write(usb / "idVendor", vendor);
    write(usb / "idProduct", product);
    write(usb / "manufacturer", maker);
    write(usb / "product", name);
    fs::create_directories(usb / "1-1:1.0");
    fs::create_directories(root / "sys/class/tty" / tty);
    fs::create_directory_symlink(usb / "1-1:1.0", root / "sys/class/tty" / tty / "device");
}

} // namespace

void TestSerialPorts::listsWhatTheSystemKnows()
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    usbTty(root, "ttyACM0", "2341", "0043", "Arduino (www.arduino.cc)", "Uno");
    usbTty(root, "ttyUSB0", "067b", "2303", "Prolific", "USB-Serial");
    fs::create_directories(root / "sys/class/tty/ttyS0"); // not USB: left out
    fs::create_directories(root / "dev/serial/by-id");
    fs::create_symlink("../../ttyACM0", root / "dev/serial/by-id/usb-Arduino_Uno_123-if00");

    const auto ports = SerialPorts::list(root);
    QCOMPARE(ports.size(), std::size_t(2));
    QCOMPARE(ports[0].path, std::string("/dev/ttyACM0"));
    QCOMPARE(ports[0].byId, std::string("usb-Arduino_Uno_123-if00"));
    QCOMPARE(ports[0].usbId, std::string("2341:0043"));
    QCOMPARE(ports[0].description, std::string("Arduino (www.arduino.cc) Uno"));
    QVERIFY(ports[0].boardLike);
    QCOMPARE(ports[1].path, std::string("/dev/ttyUSB0"));
    QVERIFY(ports[1].byId.empty());
    QVERIFY(!ports[1].boardLike);
    QVERIFY(SerialPorts::list(root / "nothing").empty());
}

QTEST_GUILESS_MAIN(TestSerialPorts)
#include "tst_serialports.moc"
