#include "SoundOutput.h"

namespace tessary {

SoundOutput::SoundOutput(Finder finder, Report report)
    : m_finder(std::move(finder)), m_report(std::move(report))
{}

SoundOutput::~SoundOutput()
{
    // Only the callers' thread starts the search; the search itself needs the mutex to end.
    if (m_search.joinable())
        m_search.join();
}

void SoundOutput::startSearch()
{
    if (!m_search.joinable())
        m_search = std::thread([this] { search(); });
}

void SoundOutput::search()
{
    OutputChoice found = m_finder();
    // Before the output is known, so that what waits in kind() writes after this line.
    if (m_report && found.kind != Kind::SoundServer)
        m_report(found.kind, found.line);
    {
        std::lock_guard lock(m_mutex);
        m_player = std::move(found.player);
        m_kind = found.kind;
        m_known = true;
        if (m_player && !m_preload.empty())
            m_player->preload(m_preload);
        if (m_player && m_prepare)
            m_player->prepare();
        m_preload.clear();
    }
    m_found.notify_all();
}

SoundOutput::Kind SoundOutput::kind()
{
    std::unique_lock lock(m_mutex);
    startSearch();
    m_found.wait(lock, [this] { return m_known; });
    return m_kind;
}

void SoundOutput::play(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    startSearch();
    if (m_player)
        m_player->play(path);
}

void SoundOutput::playAt(const std::string& path, Clock::time_point due)
{
    std::lock_guard lock(m_mutex);
    startSearch();
    if (m_player)
        m_player->playAt(path, due);
}

void SoundOutput::prepare()
{
    std::lock_guard lock(m_mutex);
    startSearch();
    if (m_player)
        m_player->prepare();
    else
        m_prepare = true;
}

void SoundOutput::preload(const std::vector<std::string>& paths)
{
    std::lock_guard lock(m_mutex);
    if (m_player)
        m_player->preload(paths);
    else
        m_preload.insert(m_preload.end(), paths.begin(), paths.end());
}

} // namespace tessary
