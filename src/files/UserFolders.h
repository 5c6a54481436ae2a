#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tessary {

// Where this user's files are, from the environment as the XDG base directories say.
class UserFolders
{
public:
    // A variable's value, or nothing when it is unset: this process's environment, or a test's.
    using Environment = std::function<std::optional<std::string>(const char* name)>;
    static std::optional<std::string> processEnvironment(const char* name);

    // $XDG_CONFIG_HOME/quorlin-tessary, else ~/.config/quorlin-tessary. A value that is empty or
    // relative is ignored, as the XDG spec asks; empty when no folder is known at all.
    static std::filesystem::path config(const Environment& env = &processEnvironment);
};

} // namespace tessary
