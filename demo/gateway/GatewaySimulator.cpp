#include "GatewaySimulator.h"

#include "GatewayReplies.h"
#include "mqtt/Topics.h"

#include <soci/mysql/soci-mysql.h>
#include <soci/soci.h>

#include <cstdio>
#include <functional>
#include <thread>

namespace {

void say(const std::string& line) {
    std::printf("gateway: %s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

GatewaySimulator::GatewaySimulator(const GatewayOptions& options)
    : options_(options),
      random_(options.seed != 0 ? options.seed
                                : static_cast<unsigned>(Clock::now().time_since_epoch().count())) {}

GatewaySimulator::~GatewaySimulator() {
    if (client_ != nullptr) {
        client_->stop();  // no callback into this object once it is gone
        delete client_;
    }
}

bool GatewaySimulator::execute(const std::string& what, const std::function<void(soci::session&)>& statement) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            statement(*sql_);
            return true;
        } catch (const std::exception& e) {
            say("database error (" + what + "): " + e.what());
            try {
                sql_->reconnect();
            } catch (const std::exception&) {
                return false;
            }
        }
    }
    return false;
}

bool GatewaySimulator::start() {
    std::string conn = "host=" + options_.dbHost + " port=" + std::to_string(options_.dbPort) +
                       " db=" + options_.dbName + " user=" + options_.dbUser + " password=" + options_.dbPassword +
                       " charset=gbk";
    try {
        sql_ = std::make_unique<soci::session>(*soci::factory_mysql(), conn);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel_gateway: cannot open database %s on %s:%d: %s\n", options_.dbName.c_str(),
                     options_.dbHost.c_str(), options_.dbPort, e.what());
        return false;
    }
    if (!loadChannels()) {
        return false;
    }
    std::string address = options_.mqttHost + ":" + std::to_string(options_.mqttPort);
    client_ = MqttClient::create(this, address.c_str());
    if (!client_->connect(options_.mqttUser.c_str(), options_.mqttPassword.c_str())) {
        std::fprintf(stderr, "quorvel_gateway: bad broker address %s\n", address.c_str());
        return false;
    }
    client_->subscribe("+/+/transdown");
    for (int i = 0; i < 100 && !client_->isConnected(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    say(std::string(client_->isConnected() ? "connected to " : "still connecting to ") + address + ", " +
        std::to_string(channels_.size()) + " channels");
    return true;
}

bool GatewaySimulator::loadChannels() {
    return execute("load channels", [&](soci::session& sql) {
        channels_.clear();
        soci::rowset<soci::row> rows = (sql.prepare << "select id, communication from em_passageway order by id");
        for (const soci::row& row : rows) {
            Channel c;
            c.id = row.get<std::string>(0, "");
            c.communication = row.get<std::string>(1, "");
            if (!c.id.empty() && !c.communication.empty()) {
                channels_.push_back(c);
            }
        }
    });
}

std::string GatewaySimulator::newFaultId() {
    static const char digits[] = "0123456789abcdef";
    std::string id(32, '0');
    for (char& c : id) {
        c = digits[random_() % 16];
    }
    return id;
}

void GatewaySimulator::publishState(const Channel& channel) {
    std::string topic = commStatusTopic(channel.id, channel.communication);
    const unsigned char state = channel.online ? '1' : '0';
    client_->sendMessage(client_, topic.c_str(), &state, 1);
}

void GatewaySimulator::takeOffline(Channel& channel, Clock::time_point now) {
    // The row first: a client shows the fault only when it finds one.
    std::string id = newFaultId();
    execute("insert fault", [&](soci::session& sql) {
        sql << "insert into em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) "
               "values (:id, :device, 'comm', 1, 0, 0)",
            soci::use(id, "id"), soci::use(channel.id, "device");
    });
    channel.online = false;
    int span = options_.maxDownMs - options_.minDownMs;
    int downMs = options_.minDownMs + (span > 0 ? static_cast<int>(random_() % static_cast<unsigned>(span + 1)) : 0);
    channel.backAt = now + std::chrono::milliseconds(downMs);
    publishState(channel);
    say("channel " + channel.id + " (" + channel.communication + ") offline for " + std::to_string(downMs) + " ms");
}

void GatewaySimulator::bringOnline(Channel& channel) {
    execute("relieve faults", [&](soci::session& sql) {
        sql << "update em_real_data_communication set relieve_flag=1 where device=:device and relieve_flag=0",
            soci::use(channel.id, "device");
    });
    channel.online = true;
    publishState(channel);
    say("channel " + channel.id + " (" + channel.communication + ") online");
}

void GatewaySimulator::run(const std::atomic<bool>& stopFlag) {
    if (options_.ratePerSecond > 0) {
        runRateStream(stopFlag);
        return;
    }
    auto now = Clock::now();
    const auto end = options_.durationS > 0 ? now + std::chrono::seconds(options_.durationS) : Clock::time_point::max();
    // Start from a clean state: every channel online, old faults relieved.
    for (Channel& c : channels_) {
        bringOnline(c);
    }
    auto nextFlap = now + std::chrono::milliseconds(options_.periodMs);
    auto nextHeartbeat = now + std::chrono::milliseconds(options_.heartbeatMs);
    while (!stopFlag && (now = Clock::now()) < end) {
        for (Channel& c : channels_) {
            if (!c.online && c.backAt <= now) {
                bringOnline(c);
            }
        }
        if (now >= nextFlap) {
            nextFlap = now + std::chrono::milliseconds(options_.periodMs);
            std::vector<Channel*> online;
            for (Channel& c : channels_) {
                if (c.online) {
                    online.push_back(&c);
                }
            }
            if (!online.empty()) {
                takeOffline(*online[random_() % online.size()], now);
            }
        }
        if (now >= nextHeartbeat) {
            nextHeartbeat = now + std::chrono::milliseconds(options_.heartbeatMs);
            for (const Channel& c : channels_) {
                publishState(c);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Leave no open faults behind in the database.
    for (Channel& c : channels_) {
        if (!c.online) {
            bringOnline(c);
        }
    }
}

int GatewaySimulator::onMessage(const char* topic, int, const unsigned char* payload, int payloadLength) {
    std::string channel(transdownCommunication(topic));
    if (channel.empty()) {
        return 0;
    }
    std::string reply = gatewayReply(std::string(reinterpret_cast<const char*>(payload), static_cast<size_t>(payloadLength)));
    std::string up = transupTopic(channel);
    client_->sendMessage(client_, up.c_str(), reinterpret_cast<const unsigned char*>(reply.data()),
                         static_cast<int>(reply.size()));
    return 0;
}
