#pragma once

#include "SampleDecoder.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <sys/stat.h>

namespace tessary {

// Decoded samples by path, for the players. Decoding happens on a thread of the cache's own, so
// that no play waits for a file, however large or odd: a play finds its sample ready, or asks for
// it and hears about it when it is done. An entry is decoded again when the file's size or
// modification time changes, or when the output's rate does.
class SampleCache
{
public:
    // Called on the decoding thread when a requested file has been decoded (null: unplayable).
    using Decoded = std::function<void(const std::string& path, std::shared_ptr<const Pcm> pcm)>;

    explicit SampleCache(Decoded decoded = {});
    ~SampleCache();
    SampleCache(const SampleCache&) = delete;
    SampleCache& operator=(const SampleCache&) = delete;

    // The output's rate. A change forgets every decoded sample and decodes the preloaded ones
    // again; 0 holds decoding back until the rate is known.
    void setRate(int rate);
    int rate() const;

    enum class State { Ready, Pending, Unplayable };
    // What `path` gives now: Ready with its samples; Pending when it is being decoded (`decoded`
    // follows); Unplayable for a missing, irregular or oversized file, or one that did not
    // decode. Only a stat on the caller's thread.
    State find(const std::string& path, std::shared_ptr<const Pcm>& pcm);
    // Decodes these in the background (the set's 64 samples at start-up).
    void preload(const std::vector<std::string>& paths);

    std::size_t cachedSamples() const;
    // Waits until nothing is queued or being decoded; for tests and benchmarks.
    void waitIdle();

private:
    struct Entry
    {
        off_t size = 0;
        timespec mtime{};
        int rate = 0;
        std::shared_ptr<const Pcm> pcm; // null: not playable
    };
    struct Job
    {
        std::string path;
        bool requested = false; // a play waits for it
    };

    bool current(const Entry& e, const struct stat& st) const;
    void enqueue(const std::string& path, bool requested);
    void work();

    Decoded m_decoded;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::unordered_map<std::string, Entry> m_entries;
    std::deque<Job> m_jobs;
    std::vector<std::string> m_preloaded;
    int m_rate = 0;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_worker; // last: starts once everything above exists
};

} // namespace tessary
