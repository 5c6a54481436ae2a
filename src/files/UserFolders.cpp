#include "UserFolders.h"

#include <cstdlib>

namespace tessary {

std::optional<std::string> UserFolders::processEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::filesystem::path UserFolders::config(const Environment& env)
{
    const auto usable = [](const std::optional<std::string>& v) {
        return v && !v->empty() && std::filesystem::path(*v).is_absolute();
    };
    if (const auto config = env("XDG_CONFIG_HOME"); usable(config))
        return std::filesystem::path(*config) / "quorlin-tessary";
    if (const auto home = env("HOME"); usable(home))
        return std::filesystem::path(*home) / ".config" / "quorlin-tessary";
    return {};
}

} // namespace tessary
