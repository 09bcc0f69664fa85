// WorkParam.xml: where the database and the MQTT broker are and how to log
// in to them. Read at start-up; rewritten when the login dialog's server
// parameters are confirmed. Texts are UTF-8 (plain ASCII in practice).
#pragma once

#include "app/ConfigBase.h"
#include "app/TlsParam.h"

#include <cstdint>
#include <optional>
#include <string>

// Optional time-outs of the database sessions, attributes of <DB> in
// seconds ("connectTimeout", "readTimeout", "writeTimeout"). An absent
// attribute means the built-in default and is not written back, so files
// without them stay as they were.
struct DbTimeoutParams {
    std::optional<int> connectSeconds;
    std::optional<int> readSeconds;
    std::optional<int> writeSeconds;
};

class ConfigWorkParam : public ConfigBase {
public:
    static constexpr const char* defaultServer = "127.0.0.1";

    void parseElement() override;
    void buildElement() override;

    std::string dbIp = defaultServer;
    std::uint16_t dbPort = 3306;
    std::string dbName = "quor";
    std::string dbUser = "root";
    std::string dbPassword = "qpzr739105";
    std::string mqttIp = defaultServer;
    std::uint16_t mqttPort = 6002;
    std::string mqttUser = "tzmk";
    std::string mqttPassword = "qpzr739105";
    TlsParam dbTls;
    TlsParam mqttTls;
    DbTimeoutParams dbTimeouts;
};

namespace xandril {
class CElement;
}
// Reading and writing of the time-out attributes of a <DB> element
// (ConfigDbTimeouts.cpp).
void readDbTimeouts(xandril::CElement* db, DbTimeoutParams& timeouts);
void writeDbTimeouts(xandril::CElement* db, const DbTimeoutParams& timeouts);
