#pragma once
// The server settings edited by the remote communication parameter dialog,
// as the configuration holds them (UTF-8 text).
#include <string>

namespace quorvel::ui {

struct RemoteCommParams {
    std::string dbIp;
    int dbPort = 3306;
    std::string dbUser;
    std::string dbPassword;
    std::string dbName;
    std::string mqttIp;
    int mqttPort = 6002;
    std::string mqttUser;
    std::string mqttPassword;
};

}  // namespace quorvel::ui
