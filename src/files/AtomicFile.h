#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessary {

// A file written whole or not at all: the bytes go to a temporary file in the same folder,
// which is flushed to the disk and renamed over the old one only when everything was written.
// A crash, a kill or a full disk on the way leaves the old file as it was. The target must be a
// new file or a regular one (a link is followed to its file); a FIFO, a device or a directory
// is refused before anything is created.
class AtomicFile
{
public:
    AtomicFile() = default;
    ~AtomicFile(); // an uncommitted file's temporary goes
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Empty when ready; otherwise "FILE: why", one line.
    std::string open(const std::filesystem::path& file);
    // Appends; false on a write error (problem() says which).
    bool write(std::string_view bytes);
    // Overwrites bytes already written, at `offset` from the start (a header's sizes).
    bool writeAt(std::uint64_t offset, std::string_view bytes);
    // Flushes to the disk with the old file's permissions, ready to be renamed: a failure here
    // (a full disk) leaves the old file as it was. Empty on success.
    std::string prepare();
    // prepare(), then renames over the old file. Empty on success. Several files that must
    // change together are each prepared first, then committed: what fails, fails before any
    // of them changed.
    std::string commit();

    const std::string& problem() const { return m_problem; }

private:
    bool failed(int error);
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    bool m_prepared = false;
    int m_mode = -1; // the old file's permissions, kept; -1 for a new file
    std::string m_problem;
};

} // namespace tessary
