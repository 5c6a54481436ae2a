#include "UserFile.h"

#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessary {

namespace {

std::string because(const std::filesystem::path& file, const std::string& why)
{
    return file.string() + ": " + why;
}

std::string systemReason(int error)
{
    return std::strerror(error);
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void release() { m_fd = -1; }
    // close(2)'s own result: on some file systems a failed write shows only here.
    int close()
    {
        const int r = ::close(m_fd);
        m_fd = -1;
        return r;
    }

private:
    int m_fd;
};

} // namespace

UserFile::Contents UserFile::read(const std::filesystem::path& file, std::size_t limit)
{
    Contents c;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        const int error = errno;
        if (error != ENOENT && error != ENOTDIR) {
            c.status = Status::Refused;
            c.problem = because(file, systemReason(error));
        }
        return c;
    }
    struct stat st
    {
    };
    c.status = Status::Refused;
    if (::fstat(fd.get(), &st) != 0) {
        c.problem = because(file, systemReason(errno));
        return c;
    }
    if (!S_ISREG(st.st_mode)) {
        c.problem = because(file, "is " + kindOf(st.st_mode) + ", not a file to read");
        return c;
    }
    const std::string tooLarge = "is larger than the limit of " + describeSize(limit);
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > limit) {
        c.problem = because(file, tooLarge);
        return c;
    }
    // Read one byte past the size: a file that grows meanwhile is refused, not read without end.
    c.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    while (got < c.bytes.size()) {
        const ssize_t n = ::read(fd.get(), c.bytes.data() + got, c.bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            c.problem = because(file, systemReason(errno));
            c.bytes.clear();
            return c;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > limit) {
        c.problem = because(file, tooLarge);
        c.bytes.clear();
        return c;
    }
    c.bytes.resize(got);
    c.status = Status::Read;
    return c;
}

int UserFile::openStream(const std::filesystem::path& file, std::string& problem)
{
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st
    {
    };
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        problem = because(file, systemReason(errno));
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        problem = because(file, "is " + kindOf(st.st_mode) + ", not a file to read");
        return -1;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        problem = because(file, systemReason(errno));
        return -1;
    }
    const int open = fd.get();
    fd.release();
    return open;
}

std::string UserFile::write(const std::filesystem::path& file, std::string_view bytes)
{
    AtomicFile out;
    if (std::string problem = out.open(file); !problem.empty())
        return problem;
    if (!out.write(bytes))
        return out.problem();
    return out.commit();
}

bool UserFile::sameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string UserFile::kindOf(unsigned mode)
{
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

std::string UserFile::describeSize(std::size_t bytes)
{
    constexpr std::size_t kMiB = 1024 * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0)
        return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace tessary
