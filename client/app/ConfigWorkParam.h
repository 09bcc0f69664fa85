// WorkParam.xml: where the database and the MQTT broker are and how to log
// in to them. Read at start-up; rewritten when the login dialog's server
// parameters are confirmed. Texts are UTF-8 (plain ASCII in practice).
#pragma once

#include "app/ConfigBase.h"
#include "app/TlsParam.h"

#include <cstdint>
#include <string>

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
};
