// The database work of the live path, off the MQTT network thread and off
// the UI thread: fault rows of channels that are not cached yet are looked
// up here, one at a time, on a thread of its own.
//
// A CommStatus message for a channel without a cached fault row is handed
// over with its state (queueMessage); when the row is found, the state is
// stored in it and the message is posted to the realtime view, just as the
// handler would have done had the row been cached. Only the latest state
// of a channel is kept while its lookup waits. When the database has no
// unrelieved row the message is dropped, and the next one asks again. When
// the database cannot answer, the lookup is retried later while its message
// waits, so the lamp still converges once the server is back.
//
// The realtime view asks for rows it has not seen (queueRefresh); it gets a
// CommStatus post for the channel when one is found.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class MsgBody;
struct EMRealDataCommunication;
class ViewRegistry;

class FaultLookupWorker {
public:
    explicit FaultLookupWorker(ViewRegistry& registry);
    ~FaultLookupWorker();  // stop()
    FaultLookupWorker(const FaultLookupWorker&) = delete;
    FaultLookupWorker& operator=(const FaultLookupWorker&) = delete;

    // The process-wide worker, posting through ViewRegistry::instance().
    static FaultLookupWorker& instance();

    // Never blocks on the database; the thread starts on first use.
    // When the channel's record has been cached meanwhile, the state is
    // stored in it and the record returned (the caller posts as usual);
    // otherwise a copy of the message waits for the lookup and the result
    // is none. The check and the hand-over are one step with respect to the
    // worker caching a row, so no older state can overwrite a newer one.
    EMRealDataCommunication* queueMessage(const std::string& channelKey, std::uint8_t state,
                                                 const char* topic, int topicLength,
                                                 const unsigned char* payload, int payloadLength);
    void queueRefresh(const std::string& channelKey);

    // Ends the thread. A lookup in progress is not waited for beyond
    // `patience`: its thread is then left to end on its own (after the
    // database calls fail, see interruptDatabaseWork). Idempotent; the
    // worker restarts on the next queue call.
    void stop(std::chrono::milliseconds patience = std::chrono::milliseconds(1500));

    // Lookups waiting or running (tests, soak figures).
    std::size_t backlog() const;
    // Database lookups made since start: rows found, no row, failed.
    struct Counts {
        long long found = 0, none = 0, failed = 0;
    };
    Counts counts() const;

private:
    struct Pending {
        bool hasState = false;
        std::uint8_t state = 0;
        std::unique_ptr<MsgBody> body;
        bool queued = false;
    };
    struct Shared;

    void enqueueLocked(const std::string& channelKey);
    void ensureThreadLocked();
    static void run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};
