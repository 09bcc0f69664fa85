#include "xandril/CAttribute.h"

#include <pugixml.hpp>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace xandril {

namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char text[512]; // "%f" of the largest double needs 317 characters
    int n = std::snprintf(text, sizeof text, pattern, args...);
    return n < 0 ? std::string() : std::string(text);
}

// Reads an integer as strtol/strtoul do with 32-bit longs: hexadecimal
// after "0x" (behind blanks and one optional '-'), else decimal; an
// unsigned reading of a negative number wraps ("-1" is 4294967295).
struct ParsedInteger {
    bool negative = false;
    unsigned long long magnitude = 0;
    bool overflow = false;
};

ParsedInteger parseInteger(const char* v)
{
    ParsedInteger result;
    const char* p = v;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const char* afterMinus = *p == '-' ? p + 1 : p;
    int base = (afterMinus[0] == '0' && (afterMinus[1] == 'x' || afterMinus[1] == 'X')) ? 16 : 10;
    if (*p == '-' || *p == '+') {
        result.negative = *p == '-';
        ++p;
    }
    // strtoull would take a second sign or more blanks; strtol would not.
    if (*p == '-' || *p == '+' || std::isspace(static_cast<unsigned char>(*p)))
        return result;
    errno = 0;
    result.magnitude = std::strtoull(p, nullptr, base);
    result.overflow = errno == ERANGE;
    return result;
}

int toInt(const char* v)
{
    ParsedInteger n = parseInteger(v);
    if (!n.negative)
        return n.overflow || n.magnitude > INT_MAX ? INT_MAX : static_cast<int>(n.magnitude);
    if (n.overflow || n.magnitude > static_cast<unsigned long long>(INT_MAX) + 1)
        return INT_MIN;
    return static_cast<int>(-static_cast<long long>(n.magnitude));
}

unsigned int toUint(const char* v)
{
    ParsedInteger n = parseInteger(v);
    if (n.overflow || n.magnitude > UINT_MAX)
        return UINT_MAX;
    auto value = static_cast<unsigned int>(n.magnitude);
    return n.negative ? 0u - value : value;
}

} // namespace

CAttribute* CAttribute::createAttribute()
{
    return new CAttribute();
}

void CAttribute::release()
{
    delete this;
}

void CAttribute::setValue(bool value)
{
    m_bool = value;
    m_text = value ? "true" : "false";
}

void CAttribute::setValue(double value)
{
    m_double = value;
    m_text = format("%f", value);
}

void CAttribute::setValue(float value)
{
    m_float = value;
    m_text = format("%f", static_cast<double>(value));
}

void CAttribute::setValue(int value)
{
    m_int = value;
    m_text = format("%d", value);
}

void CAttribute::setValue(unsigned int value)
{
    m_uint = value;
    // Written as a signed number on purpose: readers convert it back.
    m_text = format("%d", static_cast<int>(value));
}

void CAttribute::setValue(const char* text)
{
    m_text = text ? text : "";
}

void CAttribute::setName(const char* name)
{
    m_name = name ? name : "";
}

void CAttribute::parse(const pugi::xml_attribute& attribute)
{
    const char* v = attribute.value();
    char first = v[0];
    m_bool = first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y';
    m_double = std::strtod(v, nullptr);
    m_float = static_cast<float>(m_double);
    m_int = toInt(v);
    m_uint = toUint(v);
    m_text = v;
}

} // namespace xandril
