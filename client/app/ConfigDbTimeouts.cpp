// The optional time-out attributes of WorkParam.xml's <DB> element.
#include "app/ConfigWorkParam.h"

#include "xandril/CAttribute.h"
#include "xandril/CElement.h"

using xandril::CAttribute;
using xandril::CElement;

namespace {

constexpr const char* kConnect = "connectTimeout";
constexpr const char* kRead = "readTimeout";
constexpr const char* kWrite = "writeTimeout";

// Seconds; a value below 1 counts as absent (the default applies).
void readSeconds(CElement* element, const char* name, std::optional<int>& value)
{
    if (CAttribute* attribute = element->getAttribute(name)) {
        const int seconds = attribute->getInt();
        if (seconds >= 1)
            value = seconds;
    }
}

void writeSeconds(CElement* element, const char* name, const std::optional<int>& value)
{
    if (!value)
        return;
    CAttribute* attribute = CAttribute::createAttribute();
    attribute->setValue(*value);
    element->addAttribute(name, attribute);
}

}  // namespace

void readDbTimeouts(CElement* db, DbTimeoutParams& timeouts)
{
    readSeconds(db, kConnect, timeouts.connectSeconds);
    readSeconds(db, kRead, timeouts.readSeconds);
    readSeconds(db, kWrite, timeouts.writeSeconds);
}

void writeDbTimeouts(CElement* db, const DbTimeoutParams& timeouts)
{
    writeSeconds(db, kConnect, timeouts.connectSeconds);
    writeSeconds(db, kRead, timeouts.readSeconds);
    writeSeconds(db, kWrite, timeouts.writeSeconds);
}
