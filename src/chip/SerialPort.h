#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include <termios.h>

namespace tessary {

// A serial port the user named, opened raw (115200 8N1, no echo, no line discipline) and
// exclusively (TIOCEXCL, and a lock that holds for root too: no second program can open it and
// interleave bytes). Every wait has a
// deadline; nothing blocks without one. Closing puts back the settings the port had before, so
// a terminal or another device named by mistake is left as it was found.
class SerialPort
{
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Empty when open; otherwise one line saying why not (no such device, permission with the
    // dialout group, busy in another program, not a serial port).
    std::string open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // Writes all of `bytes` within `timeout`; false when the port has gone or is stuck.
    bool write(std::string_view bytes, std::chrono::milliseconds timeout);
    // Reads what has come, waiting at most `timeout` for the first byte: -1 when the port has
    // gone (unplugged, the other end closed), 0 when nothing came, else how many bytes.
    int read(std::uint8_t* into, int size, std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
    termios m_before{};
};

} // namespace tessary
