#include "mqtt/FaultLookupWorker.h"

#include "db/EMRealDataCommunication.h"
#include "mqtt/MsgBody.h"
#include "mqtt/Topics.h"
#include "mqtt/ViewRegistry.h"

namespace {
constexpr std::chrono::milliseconds kRetryMin{500};
constexpr std::chrono::milliseconds kRetryMax{4000};
}  // namespace

// Outlives the worker object when a stuck lookup's thread is left behind.
struct FaultLookupWorker::Shared {
    explicit Shared(ViewRegistry& r) : registry(r) {}
    ViewRegistry& registry;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::string> queue;
    std::map<std::string, Pending> pending;
    bool stopping = false;
    bool busy = false;  // a lookup is running
    Counts counts;
};

FaultLookupWorker::FaultLookupWorker(ViewRegistry& registry) : shared_(std::make_shared<Shared>(registry)) {}

FaultLookupWorker::~FaultLookupWorker() { stop(); }

FaultLookupWorker& FaultLookupWorker::instance() {
    static FaultLookupWorker worker(ViewRegistry::instance());
    return worker;
}

void FaultLookupWorker::ensureThreadLocked() {
    if (thread_.joinable()) return;
    shared_->stopping = false;
    thread_ = std::thread(&FaultLookupWorker::run, shared_);
}

void FaultLookupWorker::enqueueLocked(const std::string& channelKey) {
    Pending& p = shared_->pending[channelKey];
    if (!p.queued) {
        p.queued = true;
        shared_->queue.push_back(channelKey);
    }
    ensureThreadLocked();
    shared_->wake.notify_one();
}

EMRealDataCommunication* FaultLookupWorker::queueMessage(const std::string& channelKey, std::uint8_t state,
                                                         const char* topic, int topicLength,
                                                         const unsigned char* payload, int payloadLength) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (EMRealDataCommunication* record = EMRealDataCommunication::findCached(channelKey)) {
        record->relieveFlag.store(state);
        return record;
    }
    Pending& p = shared_->pending[channelKey];
    p.hasState = true;
    p.state = state;
    // Only the latest message of the channel waits.
    p.body = std::make_unique<MsgBody>(topic, topicLength, payload, payloadLength);
    enqueueLocked(channelKey);
    return nullptr;
}

void FaultLookupWorker::queueRefresh(const std::string& channelKey) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    enqueueLocked(channelKey);
}

std::size_t FaultLookupWorker::backlog() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->queue.size() + (shared_->busy ? 1 : 0);
}

FaultLookupWorker::Counts FaultLookupWorker::counts() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->counts;
}

void FaultLookupWorker::stop(std::chrono::milliseconds patience) {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    if (!thread_.joinable()) return;
    shared_->stopping = true;
    shared_->wake.notify_all();
    // Wait for the running lookup (if any) to come back, but not forever.
    const bool idle = shared_->wake.wait_for(lock, patience, [&] { return !shared_->busy; });
    lock.unlock();
    if (idle) {
        thread_.join();
    } else {
        thread_.detach();  // it holds its own reference to the shared state
    }
    lock.lock();
    // A restart begins afresh: what waited belonged to the stopped run.
    shared_ = std::make_shared<Shared>(shared_->registry);
}

void FaultLookupWorker::run(std::shared_ptr<Shared> shared) {
    std::chrono::milliseconds retryDelay = kRetryMin;
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
        if (shared->stopping) break;
        const std::string key = shared->queue.front();
        shared->queue.pop_front();
        shared->busy = true;
        lock.unlock();

        // The database is asked without any lock held.
        EMRealDataCommunication* record = EMRealDataCommunication::findCached(key);
        EMRealDataCommunication::Fetch outcome = EMRealDataCommunication::Fetch::Found;
        std::unique_ptr<EMRealDataCommunication> fetched;
        if (record == nullptr) outcome = EMRealDataCommunication::fetch(key, fetched);

        lock.lock();
        shared->busy = false;
        shared->wake.notify_all();  // stop() may be waiting for this
        if (record == nullptr) {
            ++(outcome == EMRealDataCommunication::Fetch::Found  ? shared->counts.found
               : outcome == EMRealDataCommunication::Fetch::None ? shared->counts.none
                                                                  : shared->counts.failed);
        }
        if (shared->stopping) break;
        auto it = shared->pending.find(key);
        if (outcome == EMRealDataCommunication::Fetch::Failed) {
            // Keep what waits and try again later; newer messages of the
            // channel keep replacing it meanwhile.
            if (it != shared->pending.end()) shared->queue.push_back(key);
            shared->wake.wait_for(lock, retryDelay, [&] { return shared->stopping; });
            retryDelay = std::min(retryDelay * 2, kRetryMax);
            continue;
        }
        retryDelay = kRetryMin;
        Pending done = it != shared->pending.end() ? std::move(it->second) : Pending{};
        if (it != shared->pending.end()) shared->pending.erase(it);
        if (record == nullptr && fetched == nullptr) continue;  // no fault row: dropped, the next message asks again
        // The waiting state goes into the record before the record becomes
        // visible in the cache, under the lock that queueMessage checks the
        // cache with: later messages then find it cached and win.
        if (fetched != nullptr) {
            if (done.hasState) fetched->relieveFlag.store(done.state);
            record = EMRealDataCommunication::cacheRecord(key, std::move(fetched));
        }
        if (done.hasState) record->relieveFlag.store(done.state);
        std::unique_ptr<MsgBody> body = std::move(done.body);
        if (!body) {
            const std::string topic = commStatusTopic(key, "");
            body = std::make_unique<MsgBody>(topic.data(), static_cast<int>(topic.size()), nullptr, 0);
        }
        lock.unlock();
        shared->registry.post(ViewId::Realtime, std::move(body));
        lock.lock();
    }
    shared->busy = false;
    shared->wake.notify_all();
}
