#include "tessaly/text/PropertySet.h"

#include <cstdio>

namespace tessaly::text {

using core::String;

void PropertySet::setValue(const String& key, const String& value)
{
    values_[normalise(key)] = value;
}

void PropertySet::setValue(const String& key, int value)
{
    setValue(key, String(value));
}

void PropertySet::setValue(const String& key, double value)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    setValue(key, String(buf));
}

void PropertySet::setValue(const String& key, bool value)
{
    setValue(key, String(value ? "Y" : "N"));
}

bool PropertySet::getValue(const String& key, String& value) const
{
    const auto it = values_.find(normalise(key));
    if (it == values_.end())
        return false;
    value = it->second;
    return true;
}

bool PropertySet::getValue(const String& key, int& value) const
{
    String text;
    if (!getValue(key, text))
        return false;
    bool ok = false;
    const int v = text.trim().toIntValue(&ok);
    if (ok)
        value = v;
    return ok;
}

bool PropertySet::getValue(const String& key, double& value) const
{
    String text;
    if (!getValue(key, text))
        return false;
    double v = 0.0;
    char tail = 0;
    // "%f" parse; trailing non-blank text means it was not a number.
    if (text.isEmpty() || std::sscanf(text.text(), "%lf %c", &v, &tail) != 1)
        return false;
    value = v;
    return true;
}

bool PropertySet::getValue(const String& key, bool& value) const
{
    String text;
    if (!getValue(key, text))
        return false;
    value = text.trim().toBoolValue();
    return true;
}

bool PropertySet::hasKey(const String& key) const
{
    return values_.count(normalise(key)) != 0;
}

} // namespace tessaly::text
