// TLS settings of one link (database or broker) as WorkParam.xml holds them:
// optional attributes of the <DB> and <mqtt> elements.
//
//   tls="1"                  TLS on (anything else, or no attribute: plain TCP)
//   tlsCa="certs/ca.pem"     trusted CA certificates: a PEM file or a folder
//   tlsCert="..." tlsKey=""  optional client certificate and its key
//   tlsVerifyHost="0"        accept a certificate naming another host (on by default)
//
// Relative paths are taken beside the program, like config/.
#pragma once

#include <set>
#include <string>

namespace xandril {
class CElement;
}

struct TlsParam {
    bool enabled = false;
    std::string ca;
    std::string cert;
    std::string key;
    bool verifyHost = true;

    // Attribute names met when the file was read: they are written back
    // even when they hold the default value, so a file keeps its form.
    std::set<std::string> present;

    // `path` made absolute against the program's folder; empty stays empty.
    static std::string resolve(const std::string& path);
};

// Reads the TLS attributes of `element` (missing ones keep the value).
void readTlsParam(xandril::CElement* element, TlsParam& tls);
// Adds the TLS attributes that were read or differ from the defaults; a
// file without them is written without them.
void addTlsParam(xandril::CElement* element, const TlsParam& tls);

// True for names and addresses of the loopback range (127.0.0.0/8, ::1,
// localhost): traffic to them never leaves the machine.
bool isLoopbackHost(const std::string& host);
