#include "ui/WorkParamAccess.h"

#include <wx/colour.h>

#include "app/Config.h"
#include "ui/DlgBase.h"

namespace quorvel::ui {

RemoteCommParams currentRemoteCommParams() {
    const ConfigWorkParam& wp = Config::getInstance()->workParam;
    RemoteCommParams p;
    p.dbIp = wp.dbIp;
    p.dbPort = wp.dbPort;
    p.dbUser = wp.dbUser;
    p.dbPassword = wp.dbPassword;
    p.dbName = wp.dbName;
    p.mqttIp = wp.mqttIp;
    p.mqttPort = wp.mqttPort;
    p.mqttUser = wp.mqttUser;
    p.mqttPassword = wp.mqttPassword;
    return p;
}

bool storeRemoteCommParams(const RemoteCommParams& p) {
    Config* config = Config::getInstance();
    ConfigWorkParam& wp = config->workParam;
    wp.dbIp = p.dbIp;
    wp.dbPort = static_cast<std::uint16_t>(p.dbPort);  // the dialog accepts 1..65535 only
    wp.dbUser = p.dbUser;
    wp.dbPassword = p.dbPassword;
    wp.dbName = p.dbName;
    wp.mqttIp = p.mqttIp;
    wp.mqttPort = static_cast<std::uint16_t>(p.mqttPort);
    wp.mqttUser = p.mqttUser;
    wp.mqttPassword = p.mqttPassword;
    return Config::saveFile(config->workParamPath, wp);
}

std::string workParamFilePath() { return Config::getInstance()->workParamPath; }

std::uint32_t configuredViewColorRef() { return Config::getInstance()->ui.viewColor; }

}  // namespace quorvel::ui

wxColour ViewColour() {
    // wxColour takes the 0x00BBGGRR form directly.
    return wxColour(static_cast<unsigned long>(quorvel::ui::configuredViewColorRef()));
}
