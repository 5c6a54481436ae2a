#pragma once

#include "files/AtomicFile.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace tessary {

// A WAV written as its samples come, in bounded memory: to a file (whole or not at all, its
// sizes fixed up at the end) or to standard output (exact sizes for up to kHeld bytes of
// sound, held back until then; past that a stream whose sizes are left open). Throws Failure
// for a write error or a sound past what a WAV can hold.
class WavOutput
{
public:
    // Standard output holds this much back, so that a sound of ordinary length carries its
    // exact sizes.
    static constexpr std::size_t kHeld = 8 * 1024 * 1024;

    // `path` "-": standard output, `out`.
    WavOutput(const std::string& path, int rate, std::ostream& out);
    void append(const std::vector<std::int16_t>& samples);
    void finish();
    // Bytes went to standard output before the sound was complete.
    bool streamed() const { return m_streaming; }

private:
    void flush();

    bool m_toFile;
    int m_rate;
    std::ostream& m_out;
    AtomicFile m_file;
    std::string m_bytes;
    std::uint64_t m_data = 0;
    bool m_streaming = false;
};

} // namespace tessary
