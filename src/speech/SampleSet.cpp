#include "SampleSet.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace tessary {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSubdir = "quorlin-tessary/Set";

std::vector<fs::path> splitDirs(const std::string& list)
{
    std::vector<fs::path> dirs;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start)
            dirs.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return dirs;
}

// Relative entries are ignored, as the XDG base directory rules ask.
bool usable(const fs::path& base)
{
    return !base.empty() && base.is_absolute();
}

} // namespace

std::string SampleSet::locate(const Environment& env, const fs::path& executableDir)
{
    std::vector<fs::path> bases;

    // An unset, empty or relative $XDG_DATA_HOME means the default.
    const auto dataHome = env("XDG_DATA_HOME");
    if (dataHome && usable(*dataHome)) {
        bases.emplace_back(*dataHome);
    } else if (const auto home = env("HOME"); home && !home->empty()) {
        bases.emplace_back(fs::path(*home) / ".local/share");
    }

    const auto dataDirs = env("XDG_DATA_DIRS");
    for (const fs::path& dir :
         splitDirs(dataDirs && !dataDirs->empty() ? *dataDirs : "/usr/local/share:/usr/share"))
        bases.push_back(dir);

    for (const fs::path& base : bases) {
        std::error_code ec;
        if (usable(base) && fs::is_directory(base / kSubdir, ec))
            return (base / kSubdir).string() + '/';
    }

    if (!executableDir.empty()) {
        std::error_code ec;
        const fs::path beside = (executableDir / ".." / "share" / kSubdir).lexically_normal();
        if (fs::is_directory(beside, ec))
            return beside.string() + '/';
    }
    return {};
}

SampleSet SampleSet::forThisProcess()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return SampleSet(locate(&UserFolders::processEnvironment, ec ? fs::path() : exe.parent_path()));
}

SampleSet::SampleSet(std::string directory) : m_directory(std::move(directory)) {}

std::string SampleSet::samplePath(std::string_view stem) const
{
    std::string path = m_directory;
    path += stem;
    path += ".wav";
    return path;
}

bool SampleSet::isSafeStem(std::string_view stem)
{
    return stem.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

} // namespace tessary
