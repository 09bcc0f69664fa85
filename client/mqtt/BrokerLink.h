#pragma once
// The program's link to the broker as WorkParam.xml configures it: plain
// TCP, or TLS when <mqtt tls="1"> (CA, optional client certificate, host
// name checked unless tlsVerifyHost="0"). Free of windows.
#include <string>

#include "quillet/MqttClient.h"

class ConfigWorkParam;

// Creates the client for the configured broker, puts it on TLS when asked
// and starts connecting. Plain TCP to a host outside the loopback range is
// allowed and logged as a warning; TLS settings that cannot be used are
// logged and leave the client unconnected (never plain).
MqttClient* createBrokerClient(MqttClientHandler* handler, const ConfigWorkParam& workParam);

// The status bar's broker text (UTF-8): connected, not connected, or not
// connected with the reason when the last attempt failed on TLS or was
// refused.
std::string brokerStatusText(const MqttClient* client);

// Logs the reason of a failed attempt once each time it changes (call it
// from the status timer); nothing while the link is up.
void logBrokerFailureChange(const MqttClient* client);
