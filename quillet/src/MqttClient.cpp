#include "quillet/MqttClient.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include "SocketBreak.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace {

// The client's keep-alive is 30 s: a broker that goes silent must show as
// down within it. The library pings after one protocol interval of silence
// and gives up one interval later, so the protocol interval is half of it.
constexpr int kKeepAliveSeconds = 30;
constexpr int kProtocolKeepAliveSeconds = kKeepAliveSeconds / 2;
// The delivery buffer is kept between messages up to this size.
constexpr size_t kKeptBufferBytes = 1 << 20;
constexpr std::chrono::milliseconds kReconnectDelayMin{1000};
constexpr std::chrono::milliseconds kReconnectDelayMax{8000};
constexpr int kLoopTimeoutMs = 500;
constexpr std::chrono::seconds kConnectTimeout{10};
using Clock = std::chrono::steady_clock;  // longest wait before the stop flag is seen
constexpr int kDefaultPort = 1883;
// "Unacceptable protocol version": the reason code an MQTT 5 attempt gets
// (the library also reports a 3.1.1 broker's refusal so), and the return
// code of a 3.1.1 attempt.
constexpr int kUnsupportedProtocolV5 = 132;
constexpr int kUnsupportedProtocolV311 = 1;
// How long stop() lets the network thread finish on its own before it
// breaks the socket under it (a flood can keep the library reading).
constexpr std::chrono::milliseconds kStopGrace{300};

std::once_flag g_libInit;

// Splits "host:port" at the last colon. False when the host is empty or the
// port is not a decimal number in 1..65535.
bool parseAddress(const char* address, std::string& host, int& port) {
    if (address == nullptr) {
        return false;
    }
    std::string text(address);
    size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        host = text;
        port = kDefaultPort;
        return !host.empty();
    }
    host = text.substr(0, colon);
    std::string digits = text.substr(colon + 1);
    if (host.empty() || digits.empty() || digits.size() > 5) {
        return false;
    }
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    port = std::atoi(digits.c_str());
    return port >= 1 && port <= 65535;
}

}  // namespace

MqttClientHandler::~MqttClientHandler() = default;

class MqttClientImpl {
public:
    MqttClientImpl(MqttClientHandler* handler, const char* address) : handler_(handler) {
        std::call_once(g_libInit, [] { mosquitto_lib_init(); });
        addressValid_ = parseAddress(address, host_, port_);
        mosq_ = mosquitto_new(nullptr, true, this);
        if (mosq_ != nullptr) {
            mosquitto_connect_callback_set(mosq_, &MqttClientImpl::onConnect);
            mosquitto_disconnect_callback_set(mosq_, &MqttClientImpl::onDisconnect);
            mosquitto_message_callback_set(mosq_, &MqttClientImpl::onMessage);
            mosquitto_log_callback_set(mosq_, &MqttClientImpl::onLog);
            // Our own thread runs the loop; other threads only queue packets.
            mosquitto_threaded_set(mosq_, true);
        }
    }

    ~MqttClientImpl() {
        stop();
        if (thread_.joinable()) {
            thread_.join();  // stop() ran inside a callback
        }
        if (mosq_ != nullptr) {
            mosquitto_destroy(mosq_);
        }
    }

    bool connect(const char* user, const char* password) {
        std::lock_guard<std::mutex> lock(stateMutex_);
        if (mosq_ == nullptr || !addressValid_ || started_ || stopped_ || tlsBroken_) {
            return false;
        }
        if (mosquitto_username_pw_set(mosq_, user, password) != MOSQ_ERR_SUCCESS) {
            return false;
        }
        started_ = true;
        thread_ = std::thread(&MqttClientImpl::networkLoop, this);
        return true;
    }

    bool setTls(const MqttTlsSettings& settings) {
        std::lock_guard<std::mutex> lock(stateMutex_);
        if (mosq_ == nullptr || started_ || stopped_) {
            return false;
        }
        // Until the settings are in force a connect would go out in clear.
        tlsBroken_ = true;
        setFailure(MqttLinkFailure::TlsSettings, "TLS settings refused (CA missing, file unreadable or key not fitting)");
        auto orNull = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
        if (settings.caFile.empty() && settings.caPath.empty()) {
            return false;
        }
        if (settings.certFile.empty() != settings.keyFile.empty()) {
            return false;
        }
        if (mosquitto_tls_set(mosq_, orNull(settings.caFile), orNull(settings.caPath), orNull(settings.certFile),
                              orNull(settings.keyFile), nullptr) != MOSQ_ERR_SUCCESS) {
            return false;
        }
        if (mosquitto_tls_opts_set(mosq_, SSL_VERIFY_PEER, "tlsv1.2", nullptr) != MOSQ_ERR_SUCCESS ||
            mosquitto_tls_insecure_set(mosq_, !settings.verifyHostName) != MOSQ_ERR_SUCCESS) {
            return false;
        }
        tlsBroken_ = false;
        setFailure(MqttLinkFailure::None, {});
        return true;
    }

    bool setMaximumIncomingPacket(unsigned bytes) {
        std::lock_guard<std::mutex> lock(stateMutex_);
        if (mosq_ == nullptr || started_ || stopped_ || bytes == 0) {
            return false;
        }
        maxIncomingPacket_ = bytes;
        speakV5_ = true;
        return true;
    }

    void setFailure(MqttLinkFailure failure, const std::string& detail) {
        std::lock_guard<std::mutex> lock(failureMutex_);
        failure_ = failure;
        failureDetail_ = detail;
    }

    MqttLinkFailure lastFailure(std::string* detail) const {
        std::lock_guard<std::mutex> lock(failureMutex_);
        if (detail != nullptr) {
            *detail = failureDetail_;
        }
        return failure_;
    }

    bool subscribe(const char* topic) {
        if (mosq_ == nullptr || topic == nullptr || *topic == '\0' ||
            mosquitto_sub_topic_check(topic) != MOSQ_ERR_SUCCESS) {
            return false;
        }
        bool linkUp;
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            if (stopped_) {
                return false;
            }
            // A set beside the list: thousands of channels subscribe in
            // linear time, not quadratic.
            if (topicSet_.insert(topic).second) {
                topics_.emplace_back(topic);
            }
            linkUp = connected_.load();
        }
        // Not up yet: onConnect subscribes the whole list.
        if (linkUp) {
            mosquitto_subscribe(mosq_, nullptr, topic, 0);
        }
        return true;
    }

    bool sendMessage(const char* topic, const unsigned char* payload, int length) {
        if (mosq_ == nullptr || topic == nullptr || length < 0 || (payload == nullptr && length > 0)) {
            return false;
        }
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            if (stopped_ || !started_) {
                return false;
            }
        }
        return mosquitto_publish(mosq_, nullptr, topic, length, payload, 0, false) == MOSQ_ERR_SUCCESS;
    }

    bool isConnected() const { return connected_.load(); }

    void stop() {
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            if (stopped_) {
                return;
            }
            stopped_ = true;
        }
        // Seen by the message callback before it takes the callback lock, so
        // a flood cannot keep taking that lock ahead of us.
        stopping_.store(true);
        wakeup_.notify_all();
        // First no more callbacks: taking the callback lock waits for a
        // running one, unless we are that callback.
        if (t_deliveringFor == this) {
            delivering_ = false;
        } else {
            std::lock_guard<std::mutex> lock(callbackMutex_);
            delivering_ = false;
        }
        if (mosq_ != nullptr) {
            mosquitto_disconnect(mosq_);
        }
        if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
            std::unique_lock<std::mutex> lock(stateMutex_);
            if (!wakeup_.wait_for(lock, kStopGrace, [this] { return loopEnded_; })) {
                // Still inside the library with data arriving: make its reads
                // fail so the loop returns and sees the stop request.
                breakSocket(mosquitto_socket(mosq_));
            }
            lock.unlock();
            thread_.join();
        }
        connected_ = false;
    }

private:
    bool stopRequested() {
        std::lock_guard<std::mutex> lock(stateMutex_);
        return stopped_;
    }

    // Connects, runs the session until it breaks, waits and tries again with
    // a growing delay, until stop().
    void networkLoop() {
        std::chrono::milliseconds delay = kReconnectDelayMin;
        while (!stopRequested()) {
            sessionEstablished_ = false;
            // Non-blocking TCP connect, so stop() is never stuck behind an
            // unreachable host; the loop completes it.
            const auto attemptStart = Clock::now();
            resetAttempt();
            const bool triedV5 = chooseProtocol();
            int rc = mosquitto_connect_async(mosq_, host_.c_str(), port_, kProtocolKeepAliveSeconds);
            if (rc == MOSQ_ERR_SUCCESS) {
                while ((rc = mosquitto_loop(mosq_, kLoopTimeoutMs, 1)) == MOSQ_ERR_SUCCESS) {
                    if (stopRequested()) {
                        // Let the DISCONNECT that stop() queued go out.
                        mosquitto_loop(mosq_, 50, 1);
                        break;
                    }
                    if (!connected_ && Clock::now() - attemptStart > kConnectTimeout) {
                        rc = MOSQ_ERR_NO_CONN;  // no CONNACK (e.g. SYN dropped): start over
                        break;
                    }
                }
            }
            if (!sessionEstablished_ && !stopRequested()) {
                noteFailure(rc);
            }
            mosquitto_disconnect(mosq_);  // closes a half-open socket before the next attempt
            connected_ = false;
            if (sessionEstablished_) {
                delay = kReconnectDelayMin;  // it worked once: start over quickly
            } else if (maxIncomingPacket_ != 0) {
                // A 3.1.1 broker answers MQTT 5 with "unacceptable protocol
                // version" or by closing the link: try the other version next.
                // A refusal of the login itself says nothing about the version.
                const bool loginRefused = refusedCode_ != 0 && refusedCode_ != kUnsupportedProtocolV5 &&
                                          refusedCode_ != kUnsupportedProtocolV311;
                if (!loginRefused) {
                    speakV5_ = !triedV5;
                }
                if (triedV5 && refusedCode_ == kUnsupportedProtocolV5) {
                    continue;  // the broker answered at once: no reason to wait
                }
            }
            std::unique_lock<std::mutex> lock(stateMutex_);
            if (wakeup_.wait_for(lock, delay, [this] { return stopped_; })) {
                break;
            }
            delay = std::min(delay * 2, kReconnectDelayMax);
        }
        connected_ = false;
        std::lock_guard<std::mutex> lock(stateMutex_);
        loopEnded_ = true;
        wakeup_.notify_all();
    }

    // Sets the protocol version of the next attempt and its CONNECT
    // properties. True when it goes out as MQTT 5 with the size limit.
    bool chooseProtocol() {
        const bool v5 = maxIncomingPacket_ != 0 && speakV5_;
        mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, v5 ? MQTT_PROTOCOL_V5 : MQTT_PROTOCOL_V311);
        mosquitto_property* properties = nullptr;
        if (v5) {
            mosquitto_property_add_int32(&properties, MQTT_PROP_MAXIMUM_PACKET_SIZE, maxIncomingPacket_);
        }
        // The library keeps CONNECT properties only through its blocking
        // connect call, which would hold this thread (and stop()) for as long
        // as an unreachable host takes to time out. Given port -1 it stores
        // the properties and returns before touching the network; the
        // asynchronous connect that follows sends them. The size-limit test
        // against the real broker shows whether they went out.
        mosquitto_connect_bind_v5(mosq_, host_.c_str(), -1, kProtocolKeepAliveSeconds, nullptr, properties);
        mosquitto_property_free_all(&properties);
        return v5;
    }

    // A new attempt: forget what the last one saw.
    void resetAttempt() {
        verifyError_ = X509_V_OK;
        tlsErrorText_.clear();
        refusedCode_ = 0;
    }

    // Records why an attempt ended without a session.
    void noteFailure(int rc) {
        MqttLinkFailure failure = MqttLinkFailure::Unreachable;
        std::string detail;
        if (refusedCode_ != 0) {
            failure = MqttLinkFailure::Refused;
            // MQTT 5 reason codes start at 128; 3.1.1 return codes are 1..5.
            detail = refusedCode_ >= 128 ? mosquitto_reason_string(refusedCode_) : mosquitto_connack_string(refusedCode_);
        } else if (rc == MOSQ_ERR_TLS || verifyError_ != X509_V_OK || !tlsErrorText_.empty()) {
            if (verifyError_ == X509_V_ERR_HOSTNAME_MISMATCH || verifyError_ == X509_V_ERR_IP_ADDRESS_MISMATCH) {
                failure = MqttLinkFailure::TlsHostName;
            } else if (verifyError_ != X509_V_OK) {
                failure = MqttLinkFailure::TlsUntrusted;
            } else {
                failure = MqttLinkFailure::TlsHandshake;
            }
            detail = verifyError_ != X509_V_OK ? X509_verify_cert_error_string(verifyError_) : tlsErrorText_;
            if (detail.empty()) {
                detail = mosquitto_strerror(rc);
            }
        } else {
            detail = mosquitto_strerror(rc);
        }
        setFailure(failure, detail);
    }

    // The library reports TLS failures through its log; the session's
    // verification result is read while the TLS object still exists.
    static void onLog(mosquitto* mosq, void* obj, int level, const char* text) {
        auto* self = static_cast<MqttClientImpl*>(obj);
        if (level != MOSQ_LOG_ERR || text == nullptr) {
            return;
        }
        // The library checks the host name itself and says so in words; the
        // handshake then fails with a generic verification error.
        if (std::strstr(text, "host name verification failed") != nullptr) {
            self->verifyError_ = X509_V_ERR_HOSTNAME_MISMATCH;
            return;
        }
        if (std::strncmp(text, "OpenSSL Error", 13) != 0) {
            return;
        }
        if (auto* ssl = static_cast<SSL*>(mosquitto_ssl_get(mosq))) {
            long result = SSL_get_verify_result(ssl);
            if (result != X509_V_OK && self->verifyError_ == X509_V_OK) {
                self->verifyError_ = static_cast<int>(result);
            }
        }
        if (self->tlsErrorText_.empty()) {
            const char* colon = std::strstr(text, "]: ");
            self->tlsErrorText_ = colon != nullptr ? colon + 3 : text;
        }
    }

    static void onConnect(mosquitto* mosq, void* obj, int rc) {
        auto* self = static_cast<MqttClientImpl*>(obj);
        if (rc != 0) {
            self->refusedCode_ = rc;
            return;  // refused; the network loop retries
        }
        self->sessionEstablished_ = true;
        self->setFailure(MqttLinkFailure::None, {});
        std::vector<std::string> topics;
        {
            std::lock_guard<std::mutex> lock(self->stateMutex_);
            self->connected_ = true;
            topics = self->topics_;
        }
        for (const std::string& topic : topics) {
            mosquitto_subscribe(mosq, nullptr, topic.c_str(), 0);
        }
    }

    static void onDisconnect(mosquitto*, void* obj, int) {
        static_cast<MqttClientImpl*>(obj)->connected_ = false;
    }

    static void onMessage(mosquitto*, void* obj, const mosquitto_message* msg) {
        auto* self = static_cast<MqttClientImpl*>(obj);
        if (msg == nullptr || msg->topic == nullptr || msg->payloadlen < 0 || self->stopping_.load()) {
            return;
        }
        std::lock_guard<std::mutex> lock(self->callbackMutex_);
        if (!self->delivering_ || self->handler_ == nullptr) {
            return;
        }
        // Own copy so the zero byte after the payload never depends on how
        // the library allocated it (an empty payload comes as a null pointer).
        size_t length = static_cast<size_t>(msg->payloadlen);
        self->buffer_.resize(length + 1);
        if (length > 0) {
            std::memcpy(self->buffer_.data(), msg->payload, length);
        }
        self->buffer_[length] = 0;
        t_deliveringFor = self;
        try {
            self->handler_->onMessage(msg->topic, static_cast<int>(std::strlen(msg->topic)),
                                      self->buffer_.data(), msg->payloadlen);
        } catch (...) {
            // An exception must not unwind through the C library.
        }
        t_deliveringFor = nullptr;
        // A rare large message must not keep its copy's memory for the rest
        // of the run.
        if (self->buffer_.capacity() > kKeptBufferBytes) {
            std::vector<unsigned char>().swap(self->buffer_);
        }
    }

    static thread_local MqttClientImpl* t_deliveringFor;

    MqttClientHandler* handler_;
    std::string host_;
    int port_ = kDefaultPort;
    bool addressValid_ = false;
    mosquitto* mosq_ = nullptr;

    std::mutex stateMutex_;  // topics_, started_, stopped_
    std::vector<std::string> topics_;           // in the order first subscribed
    std::unordered_set<std::string> topicSet_;  // the same topics, for the duplicate check
    bool started_ = false;
    bool stopped_ = false;
    std::condition_variable wakeup_;  // ends the wait between attempts; signals loopEnded_
    bool loopEnded_ = false;          // the network loop has returned
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    bool sessionEstablished_ = false;  // network thread only
    bool tlsBroken_ = false;           // setTls failed: never connect
    int verifyError_ = 0;              // network thread only: X509 result of this attempt
    std::string tlsErrorText_;         // network thread only: first TLS error of this attempt
    int refusedCode_ = 0;              // network thread only: CONNACK code of this attempt
    unsigned maxIncomingPacket_ = 0;   // 0: no limit asked, the link speaks 3.1.1
    bool speakV5_ = false;             // network thread only once started: version of the next attempt

    mutable std::mutex failureMutex_;  // failure_, failureDetail_
    MqttLinkFailure failure_ = MqttLinkFailure::None;
    std::string failureDetail_;
    std::atomic<bool> connected_{false};

    std::mutex callbackMutex_;  // held while the handler runs
    bool delivering_ = true;
    std::vector<unsigned char> buffer_;  // network thread only
};

thread_local MqttClientImpl* MqttClientImpl::t_deliveringFor = nullptr;

MqttClient* MqttClient::create(MqttClientHandler* handler, const char* address) {
    return new MqttClient(new MqttClientImpl(handler, address));
}

MqttClient::MqttClient(MqttClientImpl* impl) : impl_(impl) {}

MqttClient::~MqttClient() { delete impl_; }

bool MqttClient::connect(const char* user, const char* password) { return impl_->connect(user, password); }

bool MqttClient::setTls(const MqttTlsSettings& settings) { return impl_->setTls(settings); }

bool MqttClient::setMaximumIncomingPacket(unsigned bytes) { return impl_->setMaximumIncomingPacket(bytes); }

MqttLinkFailure MqttClient::lastFailure(std::string* detail) const { return impl_->lastFailure(detail); }

bool MqttClient::subscribe(const char* topic) { return impl_->subscribe(topic); }

bool MqttClient::sendMessage(void*, const char* topic, const unsigned char* payload, int length) {
    return impl_->sendMessage(topic, payload, length);
}

bool MqttClient::isConnected() const { return impl_->isConnected(); }

void MqttClient::stop() { impl_->stop(); }
