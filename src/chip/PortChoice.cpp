#include "PortChoice.h"

#include "files/UserFile.h"

namespace tessary {

std::filesystem::path PortChoice::file(const UserFolders::Environment& env)
{
    const std::filesystem::path folder = UserFolders::config(env);
    return folder.empty() ? folder : folder / "device";
}

std::string PortChoice::current(const UserFolders::Environment& env)
{
    if (const auto device = env("TESSARY_DEVICE"); device && !device->empty())
        return *device;
    const std::filesystem::path saved = file(env);
    if (saved.empty())
        return {};
    const UserFile::Contents c = UserFile::read(saved, 4096);
    return c.status == UserFile::Status::Read ? c.bytes.substr(0, c.bytes.find('\n')) : "";
}

std::string PortChoice::remember(const std::string& port, const UserFolders::Environment& env)
{
    const std::filesystem::path saved = file(env);
    if (saved.empty())
        return "no config folder: neither XDG_CONFIG_HOME nor HOME is set";
    std::error_code ec;
    std::filesystem::create_directories(saved.parent_path(), ec);
    return UserFile::write(saved, port + "\n");
}

} // namespace tessary
