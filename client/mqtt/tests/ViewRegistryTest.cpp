// MsgBody copies and the view registry's ownership and threading rules.
#include "mqtt/MsgBody.h"
#include "mqtt/ViewRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::atomic<int> g_liveBodies{0};

// Counts live bodies so a leak or a double free shows up as a wrong count.
class CountedBody : public MsgBody {
public:
    CountedBody(const char* t, const char* p)
        : MsgBody(t, static_cast<int>(std::strlen(t)), reinterpret_cast<const unsigned char*>(p),
                  static_cast<int>(std::strlen(p))) {
        g_liveBodies++;
    }
    ~CountedBody() override { g_liveBodies--; }
};

class KeepingReceiver : public MsgReceiver {
public:
    void receiveMsg(std::unique_ptr<MsgBody> body) override {
        if (delay.count() > 0) {
            inside = true;
            std::this_thread::sleep_for(delay);
            inside = false;
        }
        std::lock_guard<std::mutex> lock(mutex);
        topics.emplace_back(body->topic);
        bodies.push_back(std::move(body));
    }
    std::mutex mutex;
    std::vector<std::string> topics;
    std::vector<std::unique_ptr<MsgBody>> bodies;
    std::chrono::milliseconds delay{0};
    std::atomic<bool> inside{false};
};

}  // namespace

TEST(MsgBody, CopiesWithTrailingZeros) {
    const unsigned char payload[] = {'a', 0, 'b'};
    MsgBody body("gw01/transup/tail", 12, payload, 3);
    EXPECT_EQ(body.topicLength, 12);
    EXPECT_STREQ(body.topic, "gw01/transup");
    EXPECT_EQ(body.payloadLength, 3);
    EXPECT_EQ(std::memcmp(body.payload, payload, 3), 0);
    EXPECT_EQ(body.payload[3], 0);

    MsgBody empty("t", 1, nullptr, 0);
    EXPECT_EQ(empty.payloadLength, 0);
    EXPECT_EQ(empty.payload[0], 0);

    MsgBody odd(nullptr, 5, payload, -4);  // nonsense lengths count as zero
    EXPECT_EQ(odd.topicLength, 0);
    EXPECT_EQ(odd.topic[0], 0);
    EXPECT_EQ(odd.payloadLength, 0);
    EXPECT_EQ(odd.payload[0], 0);
}

TEST(ViewRegistry, PostWithoutReceiverFreesTheCopy) {
    ViewRegistry registry;
    int before = g_liveBodies;
    EXPECT_FALSE(registry.post(ViewId::Debug, std::make_unique<CountedBody>("a/transup", "x")));
    EXPECT_EQ(g_liveBodies, before);

    KeepingReceiver realtime;
    registry.registerView(ViewId::Realtime, &realtime);
    EXPECT_FALSE(registry.post(ViewId::Debug, std::make_unique<CountedBody>("a/transup", "x")))
        << "another view's receiver does not take it";
    EXPECT_TRUE(registry.post(ViewId::Realtime, std::make_unique<CountedBody>("7;a/CommStatus", "1")));
    EXPECT_EQ(g_liveBodies, before + 1) << "the receiver owns it now";
    ASSERT_EQ(realtime.topics, std::vector<std::string>{"7;a/CommStatus"});
    EXPECT_STREQ(realtime.bodies[0]->topic, "7;a/CommStatus");
    realtime.bodies.clear();
    EXPECT_EQ(g_liveBodies, before);

    registry.unregisterView(ViewId::Realtime, &realtime);
    EXPECT_FALSE(registry.isRegistered(ViewId::Realtime));
    EXPECT_FALSE(registry.post(ViewId::Realtime, std::make_unique<CountedBody>("t", "1")));
    EXPECT_EQ(g_liveBodies, before);
    EXPECT_FALSE(registry.post(static_cast<ViewId>(7), std::make_unique<CountedBody>("t", "1")));
    EXPECT_EQ(g_liveBodies, before);
}

TEST(ViewRegistry, StaleUnregisterKeepsTheNewView) {
    ViewRegistry registry;
    KeepingReceiver oldView, newView;
    registry.registerView(ViewId::Debug, &oldView);
    registry.registerView(ViewId::Debug, &newView);  // a view replaced before the old one went
    registry.unregisterView(ViewId::Debug, &oldView);
    EXPECT_TRUE(registry.isRegistered(ViewId::Debug));
    EXPECT_TRUE(registry.post(ViewId::Debug, std::make_unique<MsgBody>("t", 1, nullptr, 0)));
    EXPECT_EQ(newView.topics.size(), 1u);
    EXPECT_TRUE(oldView.topics.empty());
}

TEST(ViewRegistry, UnregisterWaitsForAPostInProgress) {
    ViewRegistry registry;
    KeepingReceiver view;
    view.delay = 200ms;
    registry.registerView(ViewId::Debug, &view);
    std::thread poster([&] { registry.post(ViewId::Debug, std::make_unique<MsgBody>("t", 1, nullptr, 0)); });
    while (!view.inside) {
        std::this_thread::yield();
    }
    registry.unregisterView(ViewId::Debug, &view);
    // Had unregister not waited, the view could be destroyed under the post.
    EXPECT_FALSE(view.inside);
    EXPECT_EQ(view.topics.size(), 1u);
    poster.join();
}

TEST(ViewRegistry, ConcurrentPostsAndRegistrationsLoseNothing) {
    ViewRegistry registry;
    int before = g_liveBodies;
    std::atomic<bool> running{true};
    std::atomic<int> delivered{0}, dropped{0};
    {
        KeepingReceiver view;
        std::thread flipper([&] {
            while (running) {
                registry.registerView(ViewId::Realtime, &view);
                registry.unregisterView(ViewId::Realtime, &view);
            }
        });
        std::vector<std::thread> posters;
        for (int t = 0; t < 2; ++t) {
            posters.emplace_back([&] {
                for (int i = 0; i < 20000; ++i) {
                    if (registry.post(ViewId::Realtime, std::make_unique<CountedBody>("t", "1"))) {
                        delivered++;
                    } else {
                        dropped++;
                    }
                }
            });
        }
        for (auto& p : posters) {
            p.join();
        }
        running = false;
        flipper.join();
        EXPECT_EQ(delivered + dropped, 40000);
        EXPECT_EQ(static_cast<int>(view.bodies.size()), delivered.load());
        EXPECT_EQ(g_liveBodies, before + delivered) << "dropped copies are freed at once";
    }
    EXPECT_EQ(g_liveBodies, before);
}
