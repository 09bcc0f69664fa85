// What waits between the MQTT thread and the views stays bounded under a
// flood: CommStatus keeps one entry per channel with its latest state, and
// the transfer-data queue drops what does not fit instead of growing.
#include "mqtt/BoundedMsgQueue.h"
#include "mqtt/CommStatusCoalescer.h"
#include "mqtt/IntakeLimits.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

std::unique_ptr<MsgBody> bodyOf(const std::string& topic, std::size_t payloadBytes, char fill) {
    std::string payload(payloadBytes, fill);
    return std::make_unique<MsgBody>(topic.data(), static_cast<int>(topic.size()),
                                     reinterpret_cast<const unsigned char*>(payload.data()),
                                     static_cast<int>(payload.size()));
}

TEST(CommStatusCoalescer, LatestStatePerChannelWinsWhileAProducerFloodsIt) {
    constexpr int kChannels = 300;
    constexpr int kMessages = 200000;
    CommStatusCoalescer pending;
    std::atomic<bool> done{false};
    std::atomic<int> wakes{0};
    std::vector<int> last(kChannels, -1);  // the producer's last state per channel

    std::thread producer([&] {
        std::mt19937 random(7);
        for (int i = 0; i < kMessages; ++i) {
            const int channel = static_cast<int>(random() % kChannels);
            const std::uint8_t state = random() & 1u;
            last[static_cast<std::size_t>(channel)] = state;
            if (pending.offer(std::to_string(channel), state)) ++wakes;
        }
        done = true;
    });

    std::map<std::string, int> shown;  // what the consumer ends up with
    std::size_t largestBatch = 0;
    int batches = 0;
    while (true) {
        const bool finished = done.load();
        auto batch = pending.take();
        if (!batch.empty()) ++batches;
        largestBatch = std::max(largestBatch, batch.size());
        std::map<std::string, int> seenInBatch;
        for (const auto& update : batch) {
            EXPECT_EQ(seenInBatch[update.channelKey]++, 0) << "channel twice in one batch";
            shown[update.channelKey] = update.state;
        }
        if (finished && pending.pending() == 0) break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    producer.join();

    EXPECT_LE(largestBatch, static_cast<std::size_t>(kChannels));
    EXPECT_GE(wakes.load(), 1);
    EXPECT_LE(wakes.load(), batches + 1) << "one wake per batch, not per message";
    for (int c = 0; c < kChannels; ++c) {
        if (last[static_cast<std::size_t>(c)] < 0) continue;
        ASSERT_TRUE(shown.count(std::to_string(c))) << "channel " << c;
        EXPECT_EQ(shown[std::to_string(c)], last[static_cast<std::size_t>(c)]) << "channel " << c;
    }
}

TEST(CommStatusCoalescer, BatchKeepsFirstArrivalOrderAndRearmsTheWake) {
    CommStatusCoalescer pending;
    EXPECT_TRUE(pending.offer("7", 0));
    EXPECT_FALSE(pending.offer("8", 1));
    EXPECT_FALSE(pending.offer("7", 1));
    auto batch = pending.take();
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0].channelKey, "7");
    EXPECT_EQ(batch[0].state, 1);
    EXPECT_EQ(batch[1].channelKey, "8");
    EXPECT_TRUE(pending.take().empty());
    EXPECT_TRUE(pending.offer("8", 0)) << "the next message after a take wakes the consumer again";
}

TEST(BoundedMsgQueue, FloodAgainstASlowConsumerStaysWithinCountAndBytes) {
    constexpr std::size_t kMaxMessages = 64;
    constexpr std::size_t kMaxBytes = 1024 * 1024;
    BoundedMsgQueue queue(kMaxMessages, kMaxBytes);
    std::atomic<bool> done{false};
    std::atomic<std::size_t> largestBytes{0}, largestCount{0};
    constexpr int kMessages = 5000;

    std::thread producer([&] {
        for (int i = 0; i < kMessages; ++i) {
            queue.push(bodyOf("gw01/transup", 64 * 1024, static_cast<char>('a' + i % 26)));
            largestBytes = std::max(largestBytes.load(), queue.bytes());
            largestCount = std::max(largestCount.load(), queue.size());
        }
        done = true;
    });
    std::size_t received = 0;
    while (!done || queue.size() > 0) {
        bool more = false;
        received += queue.take(128 * 1024, more).size();
        std::this_thread::sleep_for(std::chrono::microseconds(300));  // a view busy painting
    }
    producer.join();

    EXPECT_LE(largestCount.load(), kMaxMessages);
    EXPECT_LE(largestBytes.load(), kMaxBytes);
    EXPECT_GT(queue.dropped(), 0u) << "the consumer was slower than the flood";
    EXPECT_EQ(received + queue.dropped(), static_cast<std::size_t>(kMessages));
    EXPECT_EQ(queue.bytes(), 0u);
}

TEST(BoundedMsgQueue, TakesInSlicesAndWakesOnlyWhenItWasEmpty) {
    BoundedMsgQueue queue(100, 10 * 1024 * 1024);
    EXPECT_EQ(queue.push(bodyOf("t/transup", 1000, 'x')), BoundedMsgQueue::Push::QueuedWake);
    EXPECT_EQ(queue.push(bodyOf("t/transup", 1000, 'y')), BoundedMsgQueue::Push::Queued);
    EXPECT_EQ(queue.push(bodyOf("t/transup", 1000, 'z')), BoundedMsgQueue::Push::Queued);
    bool more = false;
    auto slice = queue.take(1, more);  // a tiny budget still takes one
    ASSERT_EQ(slice.size(), 1u);
    EXPECT_EQ(slice[0]->payload[0], 'x');
    EXPECT_TRUE(more);
    slice = queue.take(1 << 20, more);
    ASSERT_EQ(slice.size(), 2u);
    EXPECT_EQ(slice[0]->payload[0], 'y');
    EXPECT_EQ(slice[1]->payload[0], 'z');
    EXPECT_FALSE(more);
    EXPECT_EQ(queue.push(bodyOf("t/transup", 10, 'w')), BoundedMsgQueue::Push::QueuedWake);

    // One message larger than the whole bound never gets in.
    BoundedMsgQueue small(10, 4096);
    EXPECT_EQ(small.push(bodyOf("t/transup", 8192, 'q')), BoundedMsgQueue::Push::Dropped);
    EXPECT_EQ(small.dropped(), 1u);
    EXPECT_EQ(small.size(), 0u);
}

}  // namespace
