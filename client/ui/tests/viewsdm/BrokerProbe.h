#pragma once
// A client on the broker that records, byte for byte, every message on the
// topics it subscribes to, and may answer each one as a gateway would.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <mosquitto.h>

namespace viewsdm {

class BrokerProbe {
public:
    struct Message {
        std::string topic;
        std::string payload;
    };
    // Answer to a message: topic and payload to publish, or an empty topic.
    using Responder = std::function<Message(const Message&)>;

    BrokerProbe(const std::string& host, int port, const std::string& user, const std::string& password,
                std::vector<std::string> topics, Responder responder = {})
        : m_topics(std::move(topics)), m_responder(std::move(responder)) {
        mosquitto_lib_init();
        m_mosq = mosquitto_new(nullptr, true, this);
        if (!user.empty()) mosquitto_username_pw_set(m_mosq, user.c_str(), password.c_str());
        mosquitto_connect_callback_set(m_mosq, &BrokerProbe::onConnect);
        mosquitto_subscribe_callback_set(m_mosq, &BrokerProbe::onSubscribe);
        mosquitto_message_callback_set(m_mosq, &BrokerProbe::onMessage);
        mosquitto_loop_start(m_mosq);
        mosquitto_connect_async(m_mosq, host.c_str(), port, 30);
    }
    ~BrokerProbe() {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, true);
        mosquitto_destroy(m_mosq);
    }

    // True once every topic's subscription is acknowledged.
    bool waitSubscribed(int timeoutMs) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return m_acked >= static_cast<int>(m_topics.size()); });
    }
    // Waits until at least `count` messages have arrived; true when they have.
    bool waitForCount(std::size_t count, int timeoutMs) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_messages.size() >= count; });
    }
    std::vector<Message> messages() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }

private:
    static void onConnect(mosquitto* mosq, void* self, int rc) {
        if (rc != 0) return;
        for (const auto& topic : static_cast<BrokerProbe*>(self)->m_topics)
            mosquitto_subscribe(mosq, nullptr, topic.c_str(), 1);
    }
    static void onSubscribe(mosquitto*, void* self, int, int, const int*) {
        auto* probe = static_cast<BrokerProbe*>(self);
        std::lock_guard<std::mutex> lock(probe->m_mutex);
        ++probe->m_acked;
        probe->m_cv.notify_all();
    }
    static void onMessage(mosquitto* mosq, void* self, const mosquitto_message* msg) {
        auto* probe = static_cast<BrokerProbe*>(self);
        Message m{msg->topic, std::string(static_cast<const char*>(msg->payload), static_cast<std::size_t>(msg->payloadlen))};
        if (probe->m_responder) {
            const Message answer = probe->m_responder(m);
            if (!answer.topic.empty())
                mosquitto_publish(mosq, nullptr, answer.topic.c_str(), static_cast<int>(answer.payload.size()),
                                  answer.payload.data(), 1, false);
        }
        std::lock_guard<std::mutex> lock(probe->m_mutex);
        probe->m_messages.push_back(std::move(m));
        probe->m_cv.notify_all();
    }

    mosquitto* m_mosq = nullptr;
    std::vector<std::string> m_topics;
    Responder m_responder;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_acked = 0;
    std::vector<Message> m_messages;
};

}  // namespace viewsdm
