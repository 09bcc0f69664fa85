#include "mqtt/BrokerLink.h"

#include <mutex>

#include <sys/stat.h>

#include "app/Config.h"
#include "app/Globals.h"
#include "mqtt/IntakeLimits.h"
#include "pellorn/LogWrapper.h"

namespace {

const char* reasonText(MqttLinkFailure failure)
{
    switch (failure) {
    case MqttLinkFailure::TlsUntrusted: return "服务器证书未通过验证";
    case MqttLinkFailure::TlsHostName: return "服务器证书与地址不符";
    case MqttLinkFailure::TlsHandshake: return "TLS握手失败";
    case MqttLinkFailure::TlsSettings: return "TLS设置无效";
    case MqttLinkFailure::Refused: return "服务器拒绝登录";
    case MqttLinkFailure::None:
    case MqttLinkFailure::Unreachable: return nullptr;
    }
    return nullptr;
}

std::mutex loggedMutex;
MqttLinkFailure loggedFailure = MqttLinkFailure::None;
std::string loggedDetail;

}  // namespace

MqttClient* createBrokerClient(MqttClientHandler* handler, const ConfigWorkParam& wp)
{
    const std::string address = wp.mqttIp + ":" + std::to_string(wp.mqttPort);
    MqttClient* client = MqttClient::create(handler, address.c_str());
    client->setMaximumIncomingPacket(intake::kMaxIncomingPacket);
    if (wp.mqttTls.enabled) {
        MqttTlsSettings tls;
        const std::string ca = TlsParam::resolve(wp.mqttTls.ca);
        struct stat info {};
        if (!ca.empty() && ::stat(ca.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            tls.caPath = ca;
        else
            tls.caFile = ca;
        tls.certFile = TlsParam::resolve(wp.mqttTls.cert);
        tls.keyFile = TlsParam::resolve(wp.mqttTls.key);
        tls.verifyHostName = wp.mqttTls.verifyHost;
        if (!client->setTls(tls) && g_logWrapper)
            g_logWrapper->error2("error:TLS settings of the broker link refused (tlsCa=\"%s\" tlsCert=\"%s\" "
                                 "tlsKey=\"%s\"); not connecting",
                                 wp.mqttTls.ca.c_str(), wp.mqttTls.cert.c_str(), wp.mqttTls.key.c_str());
    } else if (!isLoopbackHost(wp.mqttIp) && g_logWrapper) {
        g_logWrapper->info("warning: the broker link to %s is plain TCP: the broker password and all messages "
                           "cross the network unencrypted (set tls=\"1\" on <mqtt>)",
                           address.c_str());
    }
    client->connect(wp.mqttUser.c_str(), wp.mqttPassword.c_str());
    return client;
}

std::string brokerStatusText(const MqttClient* client)
{
    if (client && client->isConnected())
        return "MQTT服务器：已连接";
    std::string text = "MQTT服务器：未连接";
    if (client) {
        if (const char* reason = reasonText(client->lastFailure()))
            text.append("（").append(reason).append("）");
    }
    return text;
}

void logBrokerFailureChange(const MqttClient* client)
{
    if (!client)
        return;
    std::string detail;
    const MqttLinkFailure failure = client->isConnected() ? MqttLinkFailure::None : client->lastFailure(&detail);
    std::lock_guard<std::mutex> lock(loggedMutex);
    if (failure == loggedFailure && detail == loggedDetail)
        return;
    loggedFailure = failure;
    loggedDetail = detail;
    if (failure != MqttLinkFailure::None && g_logWrapper)
        g_logWrapper->error2("error:broker link failed: %s", detail.c_str());
}
