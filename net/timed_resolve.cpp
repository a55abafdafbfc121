#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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
    std::vector<uint32_t> addresses;
    std::string official;
    int state = 0;
};

struct LookupCache {
    std::string name;
    std::string official;
    std::vector<uint32_t> addresses;  // empty: nothing kept
};

const std::shared_ptr<LookupJob> g_job = std::make_shared<LookupJob>();
LookupCache g_cache;

void RunLookup(std::shared_ptr<LookupJob> job, unsigned generation, std::string name) {
    std::string official;
    std::vector<uint32_t> addresses = platform::ResolveIpv4(name, &official);
    std::lock_guard<std::mutex> lock(job->mutex);
    if (job->generation != generation) return;
    job->addresses = std::move(addresses);
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
        g_job->addresses.clear();
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

// The lookup behind both calls: every address, the kept answer when the name
// is the same.
std::vector<uint32_t> Resolve(const char* name, std::string* official, int limitMs) {
    std::string wanted = name ? name : "";
    if (g_cache.addresses.empty()) {
        g_cache.name.clear();
        g_cache.official.clear();
    }
    if (wanted == g_cache.name) {
        if (official) *official = g_cache.official;
        return g_cache.addresses;
    }
    g_cache = LookupCache{wanted, "", {}};
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
        return {};
    }
    g_cache.official = g_job->official;
    if (official) *official = g_job->official;
    if (g_job->state == kRunning) {
        ++g_job->generation;
        g_job->state = 0;
        g_cache.addresses.clear();
        return {};
    }
    g_cache.addresses = g_job->addresses;
    return g_job->addresses;
}

}  // namespace

uint32_t TimedResolve(const char* name, std::string* official, int limitMs) {
    std::vector<uint32_t> addresses = Resolve(name, official, limitMs);
    return addresses.empty() ? 0 : addresses.front();
}

std::vector<uint32_t> TimedResolveAll(const char* name, int limitMs) {
    return Resolve(name, nullptr, limitMs);
}

void ResetTimedResolveForTests() {
    std::lock_guard<std::mutex> lock(g_job->mutex);
    ++g_job->generation;
    g_job->state = 0;
    g_job->addresses.clear();
    g_job->official.clear();
    g_cache = LookupCache();
}
