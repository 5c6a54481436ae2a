#pragma once

#include "files/UserFolders.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// Where the 64 samples live, and how a stem becomes a sample path.
class SampleSet
{
public:
    using Environment = UserFolders::Environment;

    // The folder quorlin-tessary/Set/ in the first of $XDG_DATA_HOME (or ~/.local/share), each
    // entry of $XDG_DATA_DIRS (or /usr/local/share:/usr/share), and ../share beside the
    // executable that exists as a directory. Returned with a trailing '/', or empty for none.
    static std::string locate(const Environment& env, const std::filesystem::path& executableDir);
    // locate() with this process's environment and executable.
    static SampleSet forThisProcess();

    SampleSet() = default;
    explicit SampleSet(std::string directory);

    const std::string& directory() const { return m_directory; }
    bool present() const { return !m_directory.empty(); }

    // The directory, the stem exactly as given, and ".wav".
    std::string samplePath(std::string_view stem) const;

    // A stem that could leave the directory or cut the path short names no sample.
    static bool isSafeStem(std::string_view stem);

private:
    std::string m_directory;
};

} // namespace tessary
