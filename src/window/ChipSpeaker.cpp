#include "ChipSpeaker.h"

#include "chip/ChipBridge.h"
#include "files/UserFile.h"

#include <QMetaObject>

#include <cstdlib>

namespace tessary {

namespace {

std::optional<std::string> environment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? std::optional<std::string>(value) : std::nullopt;
}

} // namespace

ChipSpeaker::ChipSpeaker(QObject* parent) : QObject(parent) {}

ChipSpeaker::~ChipSpeaker()
{
    m_stop = true;
    finish();
}

std::filesystem::path ChipSpeaker::choiceFile()
{
    if (const auto config = environment("XDG_CONFIG_HOME"))
        return std::filesystem::path(*config) / "quorlin-tessary" / "device";
    if (const auto home = environment("HOME"))
        return std::filesystem::path(*home) / ".config" / "quorlin-tessary" / "device";
    return {};
}

std::string ChipSpeaker::port() const
{
    if (const auto device = environment("TESSARY_DEVICE"))
        return *device;
    const std::filesystem::path file = choiceFile();
    if (file.empty())
        return {};
    UserFile::Contents c = UserFile::read(file, 4096);
    std::string line = c.bytes.substr(0, c.bytes.find('\n'));
    return c.status == UserFile::Status::Read ? line : std::string();
}

void ChipSpeaker::choosePort(const std::string& port)
{
    const std::filesystem::path file = choiceFile();
    if (file.empty())
        return;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    UserFile::write(file, port + "\n");
}

void ChipSpeaker::finish()
{
    if (m_worker.joinable())
        m_worker.join();
}

void ChipSpeaker::speak(std::vector<int> codes)
{
    if (codes.empty()) {
        Q_EMIT status("Nothing to say: every slot is empty");
        return;
    }
    const std::string device = port();
    if (device.empty()) {
        Q_EMIT status("No port chosen for the chip");
        return;
    }
    if (m_busy) {
        Q_EMIT status("The chip is still speaking: Stop Chip first");
        return;
    }
    finish(); // a thread that has ended, so this does not wait
    m_stop = false;
    m_busy = true;
    m_worker = std::thread(&ChipSpeaker::run, this, device, std::move(codes));
}

void ChipSpeaker::stop()
{
    m_stop = true;
}

void ChipSpeaker::run(std::string device, std::vector<int> codes)
{
    ChipBridge bridge;
    // Closing the window while the board boots gives up at once.
    std::string problem = bridge.connect(device, &m_stop);
    QString line;
    if (problem.empty()) {
        switch (bridge.say(codes, m_stop, problem)) {
        case ChipBridge::Result::Spoken:
            line = "The chip said it";
            break;
        case ChipBridge::Result::Stopped:
            line = "Chip stopped";
            break;
        case ChipBridge::Result::Failed:
            line = QString::fromStdString(problem);
            break;
        }
    } else {
        line = QString::fromStdString(problem);
    }
    m_busy = false;
    QMetaObject::invokeMethod(
        this, [this, line] { Q_EMIT status(line); }, Qt::QueuedConnection);
}

} // namespace tessary
