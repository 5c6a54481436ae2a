#include "AtomicFile.h"

#include "UserFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tessary {

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_prepared = false;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

bool AtomicFile::failed(int error)
{
    if (m_problem.empty())
        m_problem = m_target.string() + ": " + std::strerror(error);
    discard();
    return false;
}

std::string AtomicFile::open(const std::filesystem::path& file)
{
    discard();
    m_problem.clear();
    m_target = file;
    m_mode = -1;
    struct stat st
    {
    };
    if (::stat(file.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return m_problem = file.string() + ": is " + UserFile::kindOf(st.st_mode) +
                               ", not a file to write";
        m_mode = static_cast<int>(st.st_mode & 07777);
        // A link is followed: the file it names is replaced, the link stays.
        std::error_code ec;
        const std::filesystem::path real = std::filesystem::canonical(file, ec);
        if (!ec)
            m_target = real;
    } else if (errno != ENOENT) {
        return m_problem = file.string() + ": " + std::strerror(errno);
    }
    std::filesystem::path folder = m_target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ("." + m_target.filename().string() + ".XXXXXX")).string();
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        m_problem.clear();
        m_target = file;
        return m_problem = file.string() + ": " + std::strerror(error);
    }
    m_temporary = pattern;
    if (m_mode < 0) {
        // What a plain creat(0666) would give, under the user's umask.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        m_mode = static_cast<int>(0666 & ~mask);
    }
    return {};
}

bool AtomicFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (m_fd < 0)
            return false;
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(errno);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return m_fd >= 0;
}

bool AtomicFile::writeAt(std::uint64_t offset, std::string_view bytes)
{
    while (!bytes.empty()) {
        if (m_fd < 0)
            return false;
        const ssize_t n = ::pwrite(m_fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(errno);
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return m_fd >= 0;
}

std::string AtomicFile::prepare()
{
    if (m_prepared)
        return {};
    if (m_fd < 0)
        return m_problem.empty() ? m_target.string() + ": not open" : m_problem;
    if (::fchmod(m_fd, static_cast<mode_t>(m_mode)) != 0 || ::fsync(m_fd) != 0) {
        failed(errno);
        return m_problem;
    }
    const int fd = m_fd;
    m_fd = -1;
    // close(2)'s own result: on some file systems a failed write shows only here.
    if (::close(fd) != 0) {
        failed(errno);
        return m_problem;
    }
    m_prepared = true;
    return {};
}

std::string AtomicFile::commit()
{
    if (std::string problem = prepare(); !problem.empty())
        return problem;
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        failed(errno);
        return m_problem;
    }
    m_temporary.clear();
    m_prepared = false;
    // The rename itself lasts once the folder is on the disk too.
    std::filesystem::path folder = m_target.parent_path();
    if (folder.empty())
        folder = ".";
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace tessary
