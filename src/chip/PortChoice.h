#pragma once

#include "files/UserFolders.h"

#include <filesystem>
#include <string>

namespace tessary {

// Which port the bridge is on, for the window and the command line alike: TESSARY_DEVICE,
// else the one the user chose before (kept as "device" in the config folder), else none yet.
class PortChoice
{
public:
    // Empty when no port is known.
    static std::string current(const UserFolders::Environment& env = &UserFolders::processEnvironment);
    // Keeps the user's choice for the next time; the problem, or empty.
    static std::string remember(const std::string& port,
                                const UserFolders::Environment& env = &UserFolders::processEnvironment);
    static std::filesystem::path file(const UserFolders::Environment& env);
};

} // namespace tessary
