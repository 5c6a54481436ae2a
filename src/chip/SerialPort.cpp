#include "SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessary {

namespace {

std::string refusal(const std::string& path, int error)
{
    switch (error) {
    case ENOENT:
        return path + ": no such device (is the board plugged in?)";
    case EACCES:
    case EPERM:
        return path + ": permission denied; serial ports belong to the dialout group: "
                      "sudo usermod -aG dialout $USER, then log in again";
    case EBUSY:
        return path + ": busy: another program has the port open";
    default:
        return path + ": " + std::strerror(error);
    }
}

} // namespace

SerialPort::~SerialPort()
{
    close();
}

std::string SerialPort::open(const std::string& path)
{
    close();
    // O_NONBLOCK: a port whose carrier is down would otherwise hold open() forever.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refusal(path, errno);
    struct stat st
    {
    };
    termios tio{};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || ::tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return path + ": not a serial port";
    }
    const termios before = tio;
    // TIOCEXCL keeps other users out, but not root; the lock keeps out every program that
    // locks the port too (a second tessary, the window, root or not).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return refusal(path, error);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return refusal(path, error);
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int error = errno;
        ::tcsetattr(fd, TCSANOW, &before);
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return refusal(path, error);
    }
    ::tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    m_before = before;
    return {};
}

void SerialPort::close()
{
    if (m_fd < 0)
        return;
    // At once, not after the output drains: a port that takes nothing would hold us forever.
    ::tcsetattr(m_fd, TCSANOW, &m_before);
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
}

bool SerialPort::write(std::string_view bytes, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!bytes.empty() && m_fd >= 0) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            return false;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
            return false;
    }
    return bytes.empty();
}

int SerialPort::read(std::uint8_t* into, int size, std::chrono::milliseconds timeout)
{
    if (m_fd < 0)
        return -1;
    pollfd p{m_fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    if (ready == 0)
        return 0;
    if (p.revents & POLLIN) {
        const ssize_t n = ::read(m_fd, into, static_cast<std::size_t>(size));
        if (n > 0)
            return static_cast<int>(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return 0;
        return -1; // end of file or an error: the device has gone
    }
    return -1; // POLLHUP, POLLERR: unplugged, or the other end closed
}

} // namespace tessary
