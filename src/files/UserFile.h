#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessary {

// A file the user hands us (a word list, a sample, an output path) may be anything: a FIFO, a
// device, a directory, a link to /dev/zero, huge, unreadable. These calls never block on one and
// never read past a limit; what is wrong is said in one line that names the file.
class UserFile
{
public:
    enum class Status {
        Read,    // `bytes` holds the whole file
        Missing, // no such file: normal, and not worth a word
        Refused, // there, but unusable: `problem` says why
    };
    struct Contents
    {
        Status status = Status::Missing;
        std::string bytes;
        std::string problem; // "FILE: why", one line
    };

    // The whole of a regular file of at most `limit` bytes.
    static Contents read(const std::filesystem::path& file, std::size_t limit);

    // A regular file of any length opened to be read as it goes: the descriptor (the caller
    // closes it), or -1 with `problem` saying why, a missing file included.
    static int openStream(const std::filesystem::path& file, std::string& problem);

    // Writes `bytes` to a new file or over a regular one, whole or not at all (AtomicFile);
    // anything else (a FIFO, a device, a directory) is refused without writing. Returns the
    // problem, or an empty string.
    static std::string write(const std::filesystem::path& file, std::string_view bytes);
    // Whether two paths name one existing file (a link, another spelling of the path).
    static bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

    // What a file of this st_mode is, for a message: "a directory", "a FIFO", "a device"...
    static std::string kindOf(unsigned mode);

    // "1 MiB", "8 MiB", "512 bytes": a limit as the messages give it.
    static std::string describeSize(std::size_t bytes);
};

} // namespace tessary
