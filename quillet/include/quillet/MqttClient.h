// Quillet: a small MQTT client with its own network thread.
//
// Usage:
//   MqttClient* c = MqttClient::create(handler, "127.0.0.1:1883");
//   c->connect(user, password);     // returns at once; the link comes up in the background
//   c->subscribe("gw01/transup");   // allowed before the link is up; redone after every reconnect
//   c->sendMessage(c, topic, bytes, n);   // from any thread
//   ...
//   c->stop();                      // no callback runs after this returns; then disconnects
//   delete handler; (the client object itself may be deleted or kept)
//
// Callbacks run on the client's network thread, one at a time.
#pragma once

#include <string>

#define QUILLET_API __attribute__((visibility("default")))

class QUILLET_API MqttClientHandler {
public:
    virtual ~MqttClientHandler();

    // One call per message received on a subscribed topic. `topic` is
    // NUL-terminated; `payload` always has a zero byte after its
    // `payloadLength` bytes (so an empty payload still has a readable first
    // byte). Neither pointer is valid after the call returns. The result is
    // not used by the client.
    virtual int onMessage(const char* topic, int topicLength,
                          const unsigned char* payload, int payloadLength) = 0;
};

class MqttClientImpl;

// Why the most recent connection attempt failed.
enum class MqttLinkFailure {
    None,            // no attempt failed since the last session came up
    Unreachable,     // no TCP connection (refused, timed out, name unknown)
    TlsUntrusted,    // the server's certificate does not chain to the trusted CAs
    TlsHostName,     // the certificate is valid but names another host
    TlsHandshake,    // any other TLS failure (protocol, client certificate refused, ...)
    Refused,         // the broker refused the CONNECT (e.g. not authorised)
    TlsSettings,     // setTls refused the settings: the client does not connect
};

// TLS settings of a link. Paths are used as given.
struct MqttTlsSettings {
    std::string caFile;      // trusted CA certificates (PEM); this or caPath
    std::string caPath;      // folder of hashed CA certificates
    std::string certFile;    // optional client certificate (PEM) ...
    std::string keyFile;     // ... and its key
    bool verifyHostName = true;  // false: any host name, the chain is still verified
};

class QUILLET_API MqttClient {
public:
    // `address` is "host:port" (port in decimal; "host" alone uses 1883).
    // Always returns a usable object, even for a malformed address (connect
    // then fails). `handler` is not owned; it must outlive the client or
    // stop() must be called before it is deleted.
    static MqttClient* create(MqttClientHandler* handler, const char* address);

    // Stops (as stop()) and frees everything. Never from inside a callback.
    ~MqttClient();
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Starts the network thread and the connection in the background. False
    // only when the client cannot be started at all (bad address, already
    // stopped, called twice); a broker that is not reachable yet is retried
    // with back-off (1 s doubling up to 8 s) for as long as the client runs.
    bool connect(const char* user, const char* password);

    // Puts the link on TLS 1.2 or later (call before connect). The user
    // name and password are sent only after the server's certificate has
    // been verified. False when the settings are refused (no CA given, a
    // file that cannot be read, a key that does not fit the certificate,
    // or the client already started); the client then stays on nothing: a
    // later connect() fails instead of falling back to plain TCP.
    bool setTls(const MqttTlsSettings& settings);

    // Asks the broker to send no packet larger than `bytes` (call before
    // connect): larger messages then never reach this process, so a flood of
    // huge messages cannot take its memory. The link speaks MQTT 5 for this;
    // a broker that only speaks 3.1.1 is spoken to in 3.1.1 from its first
    // refusal on and sends everything (the handler's own size checks remain
    // the guard there). False for 0 or when the client already started.
    bool setMaximumIncomingPacket(unsigned bytes);

    // The reason of the most recent failed attempt, with the library's
    // words in `detail` (e.g. the certificate error). None once connected.
    MqttLinkFailure lastFailure(std::string* detail = nullptr) const;

    // Adds a topic (filter) to the subscriptions. Takes effect now when the
    // link is up and again after every reconnect. False for an empty/invalid
    // topic or a stopped client.
    bool subscribe(const char* topic);

    // Publishes `length` bytes on `topic` (QoS 0, not retained). Safe from any
    // thread, including from inside a callback. `context` is accepted for
    // callers that pass the client itself; it is not used. False when the
    // link is down, the client is stopped or the arguments are invalid.
    bool sendMessage(void* context, const char* topic, const unsigned char* payload, int length);

    // True while a session with the broker is established.
    bool isConnected() const;

    // Stops delivering callbacks (waits for a running one to finish, unless
    // called from inside a callback), then disconnects and ends the network
    // thread. Idempotent. After stop() the client stays stopped.
    void stop();

private:
    explicit MqttClient(MqttClientImpl* impl);
    MqttClientImpl* impl_;
};
