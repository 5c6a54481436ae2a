#include "SampleCache.h"

#include <algorithm>

namespace tessary {

namespace {

bool statRegular(const std::string& path, struct stat& st)
{
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_size <= SampleDecoder::kMaxFileBytes;
}

} // namespace

SampleCache::SampleCache(Decoded decoded)
    : m_decoded(std::move(decoded)), m_worker([this] { work(); })
{}

SampleCache::~SampleCache()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void SampleCache::setRate(int rate)
{
    {
        std::lock_guard lock(m_mutex);
        if (rate == m_rate)
            return;
        m_rate = rate;
        m_entries.clear();
        for (const std::string& p : m_preloaded)
            m_jobs.push_back({p, false});
    }
    m_wake.notify_all();
}

int SampleCache::rate() const
{
    std::lock_guard lock(m_mutex);
    return m_rate;
}

bool SampleCache::current(const Entry& e, const struct stat& st) const
{
    return e.size == st.st_size && e.mtime.tv_sec == st.st_mtim.tv_sec &&
           e.mtime.tv_nsec == st.st_mtim.tv_nsec && e.rate == m_rate;
}

SampleCache::State SampleCache::find(const std::string& path, std::shared_ptr<const Pcm>& pcm)
{
    pcm.reset();
    struct stat st;
    if (!statRegular(path, st))
        return State::Unplayable;
    std::unique_lock lock(m_mutex);
    const auto it = m_entries.find(path);
    if (it != m_entries.end() && current(it->second, st)) {
        pcm = it->second.pcm;
        return pcm ? State::Ready : State::Unplayable;
    }
    lock.unlock();
    enqueue(path, true);
    return State::Pending;
}

void SampleCache::preload(const std::vector<std::string>& paths)
{
    {
        std::lock_guard lock(m_mutex);
        m_preloaded = paths;
    }
    for (const std::string& p : paths)
        enqueue(p, false);
}

void SampleCache::enqueue(const std::string& path, bool requested)
{
    {
        std::lock_guard lock(m_mutex);
        const auto queued = std::find_if(m_jobs.begin(), m_jobs.end(),
                                         [&](const Job& j) { return j.path == path; });
        if (queued != m_jobs.end()) {
            queued->requested = queued->requested || requested;
            if (requested) // a play waits: it goes before the background work
                std::rotate(m_jobs.begin(), queued, queued + 1);
        } else if (requested) {
            m_jobs.push_front({path, true});
        } else {
            m_jobs.push_back({path, false});
        }
    }
    m_wake.notify_all();
}

std::size_t SampleCache::cachedSamples() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

void SampleCache::waitIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock,
                [this] { return m_stopping || (!m_busy && (m_jobs.empty() || m_rate == 0)); });
}

void SampleCache::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || (!m_jobs.empty() && m_rate != 0); });
        if (m_stopping)
            return;
        const Job job = m_jobs.front();
        m_jobs.pop_front();
        const int rate = m_rate;
        m_busy = true;
        lock.unlock();

        struct stat st;
        const bool regular = statRegular(job.path, st);
        std::shared_ptr<const Pcm> pcm = regular ? SampleDecoder::decode(job.path, rate) : nullptr;

        lock.lock();
        if (regular && rate == m_rate)
            m_entries.insert_or_assign(job.path, Entry{st.st_size, st.st_mtim, rate, pcm});
        if (job.requested && m_decoded && rate == m_rate) {
            lock.unlock();
            m_decoded(job.path, pcm);
            lock.lock();
        }
        m_busy = false; // only now: waitIdle() promises that the waiting play has started
        m_idle.notify_all();
    }
}

} // namespace tessary
