#include "app/TlsParam.h"

#include "app/Globals.h"
#include "app/Ipv4Text.h"
#include "xandril/CAttribute.h"
#include "xandril/CElement.h"

#include <cctype>
#include <cstring>

using xandril::CAttribute;
using xandril::CElement;

namespace {

constexpr const char* kEnabled = "tls";
constexpr const char* kCa = "tlsCa";
constexpr const char* kCert = "tlsCert";
constexpr const char* kKey = "tlsKey";
constexpr const char* kVerifyHost = "tlsVerifyHost";

bool isTrue(const std::string& text)
{
    return text == "1" || text == "true" || text == "yes" || text == "on";
}

void readText(CElement* element, const char* name, std::string& value, TlsParam& tls)
{
    if (CAttribute* attribute = element->getAttribute(name)) {
        value = attribute->getString();
        tls.present.insert(name);
    }
}

void readSwitch(CElement* element, const char* name, bool& value, TlsParam& tls)
{
    std::string text;
    readText(element, name, text, tls);
    if (tls.present.count(name))
        value = isTrue(text);
}

void addText(CElement* element, const char* name, const std::string& value)
{
    CAttribute* attribute = CAttribute::createAttribute();
    attribute->setValue(value.c_str());
    element->addAttribute(name, attribute);
}

} // namespace

std::string TlsParam::resolve(const std::string& path)
{
    // Absolute: "/..." and, for Windows, "\\..." or a drive letter ("C:...").
    const bool driveLetter =
        path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
    const bool absolute = !path.empty() && (path.front() == '/' || path.front() == '\\' || driveLetter);
    if (path.empty() || absolute || g_moduleDir.empty())
        return path;
    return g_moduleDir + "/" + path;
}

void readTlsParam(CElement* element, TlsParam& tls)
{
    readSwitch(element, kEnabled, tls.enabled, tls);
    readText(element, kCa, tls.ca, tls);
    readText(element, kCert, tls.cert, tls);
    readText(element, kKey, tls.key, tls);
    readSwitch(element, kVerifyHost, tls.verifyHost, tls);
}

void addTlsParam(CElement* element, const TlsParam& tls)
{
    auto wanted = [&](const char* name, bool isDefault) { return !isDefault || tls.present.count(name) > 0; };
    if (wanted(kEnabled, !tls.enabled))
        addText(element, kEnabled, tls.enabled ? "1" : "0");
    if (wanted(kCa, tls.ca.empty()))
        addText(element, kCa, tls.ca);
    if (wanted(kCert, tls.cert.empty()))
        addText(element, kCert, tls.cert);
    if (wanted(kKey, tls.key.empty()))
        addText(element, kKey, tls.key);
    if (wanted(kVerifyHost, tls.verifyHost))
        addText(element, kVerifyHost, tls.verifyHost ? "1" : "0");
}

bool isLoopbackHost(const std::string& host)
{
    if (host == "localhost" || host == "::1")
        return true;
    const auto address = parseDottedIpv4(host);
    return address && (*address)[0] == 127;
}
