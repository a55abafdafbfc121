#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "foundation/pump.h"
#include "net/timed_calls.h"

namespace {

constexpr int kRunning = -999;
constexpr int kFirstWaitMs = 1;
constexpr int kStepMs = 200;
constexpr int kEventsPerDispatch = 200;

// The one lookup job. A worker that outlives its call finds a newer
// generation and drops its answer, so it can never reach a later call. The
// worker shares ownership, so the job outlives it even at process exit.
struct LookupJob {
    std::mutex mutex;
    std::condition_variable finished;
    unsigned generation = 0;
    std::string name;
    uint32_t address = 0;
    std::string official;
    int state = 0;
};

struct LookupCache {
    std::string name;
    std::string official;
    uint32_t address = 0;  // 0: nothing kept
};

const std::shared_ptr<LookupJob> g_job = std::make_shared<LookupJob>();
LookupCache g_cache;

void RunLookup(std::shared_ptr<LookupJob> job, unsigned generation, std::string name) {
    std::string official;
    uint32_t address = platform::ResolveIpv4(name, &official);
    std::lock_guard<std::mutex> lock(job->mutex);
    if (job->generation != generation) return;
    job->address = address;
    job->official = official;
    job->state = 0;
    job->finished.notify_all();
}

// Starts a worker for name; returns the job's new generation, 0 when no
// worker could be started.
unsigned StartLookup(const std::string& name) {
    unsigned generation;
    {
        std::lock_guard<std::mutex> lock(g_job->mutex);
        generation = ++g_job->generation;
        if (generation == 0) generation = ++g_job->generation;
        g_job->name = name;
        g_job->address = 0;
        g_job->official.clear();
        g_job->state = kRunning;
    }
    try {
        std::thread(RunLookup, g_job, generation, name).detach();
        return generation;
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(g_job->mutex);
        g_job->state = 0;
        return 0;
    }
}

// Waits up to ms for the lookup of this generation to end. A handler that
// ran during the wait and started a lookup of its own ends this one too.
EventWait LookupFinished(unsigned generation) {
    return [generation](int ms) {
        std::unique_lock<std::mutex> lock(g_job->mutex);
        return g_job->finished.wait_for(lock, std::chrono::milliseconds(ms), [generation] {
            return g_job->state != kRunning || g_job->generation != generation;
        });
    };
}

}  // namespace

uint32_t TimedResolve(const char* name, std::string* official, int limitMs) {
    std::string wanted = name ? name : "";
    if (g_cache.address == 0) {
        g_cache.name.clear();
        g_cache.official.clear();
    }
    if (wanted == g_cache.name) {
        if (official) *official = g_cache.official;
        return g_cache.address;
    }
    g_cache = LookupCache{wanted, "", 0};
    unsigned generation = StartLookup(wanted);
    EventWait finished = LookupFinished(generation);
    if (generation != 0) {
        PumpMessages(kEventsPerDispatch);
        finished(kFirstWaitMs);
        PumpMessages(kEventsPerDispatch);
        for (int waited = 0; waited < limitMs; waited += kStepMs) {
            if (finished(0)) break;
            PumpSleepFor(kStepMs, finished);
        }
    }
    std::lock_guard<std::mutex> lock(g_job->mutex);
    if (g_job->generation != generation) {
        if (official) official->clear();
        return 0;
    }
    g_cache.official = g_job->official;
    if (official) *official = g_job->official;
    if (g_job->state == kRunning) {
        ++g_job->generation;
        g_job->state = 0;
        g_cache.address = 0;
        return 0;
    }
    g_cache.address = g_job->address;
    return g_job->address;
}

void ResetTimedResolveForTests() {
    std::lock_guard<std::mutex> lock(g_job->mutex);
    ++g_job->generation;
    g_job->state = 0;
    g_job->address = 0;
    g_job->official.clear();
    g_cache = LookupCache();
}
