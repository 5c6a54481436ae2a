#include "WavOutput.h"

#include "Failure.h"
#include "sound/WavWriter.h"

#include <ostream>

namespace tessary {

WavOutput::WavOutput(const std::string& path, int rate, std::ostream& out)
    : m_toFile(path != "-"), m_rate(rate), m_out(out)
{
    if (!m_toFile)
        return;
    if (std::string problem = m_file.open(path); !problem.empty())
        throw Failure("cannot write " + problem);
    if (!m_file.write(WavWriter::header(rate, 0)))
        throw Failure("cannot write " + m_file.problem());
}

void WavOutput::append(const std::vector<std::int16_t>& samples)
{
    WavWriter::appendSamples(samples, m_bytes);
    m_data += samples.size() * 2;
    if (m_data > WavWriter::kMostData)
        throw Failure("the sound is longer than a WAV file holds (4 GiB, " +
                      std::to_string(WavWriter::kMostData / 2 / m_rate / 3600) + " hours at " +
                      std::to_string(m_rate) + " Hz)");
    if (m_toFile || m_streaming || m_bytes.size() > kHeld)
        flush();
}

void WavOutput::flush()
{
    if (m_toFile) {
        if (!m_file.write(m_bytes))
            throw Failure("cannot write " + m_file.problem());
    } else {
        if (!m_streaming)
            m_out << WavWriter::header(m_rate, WavWriter::kUnknownSize);
        m_streaming = true;
        m_out.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
    }
    m_bytes.clear();
}

void WavOutput::finish()
{
    const std::string header = WavWriter::header(m_rate, static_cast<std::uint32_t>(m_data));
    if (!m_toFile) {
        if (!m_streaming)
            m_out << header;
        m_out.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
        return;
    }
    std::string problem;
    if (!m_file.writeAt(0, header) || !(problem = m_file.commit()).empty())
        throw Failure("cannot write " + (problem.empty() ? m_file.problem() : problem));
}

} // namespace tessary
