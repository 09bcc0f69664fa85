#include "tessaly/core/Value.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/text/DateFormat.h"

namespace tessaly::core {

namespace {

const char* const kDatePattern = "yyyy-MM-dd HH:mm:ss";

template <class T>
void setOk(bool* ok, bool value)
{
    if (ok)
        *ok = value;
}

bool isInteger(ValueType t)
{
    return t == ValueTypeInt || t == ValueTypeUInt || t == ValueTypeInt64 || t == ValueTypeUInt64;
}

// An integer kind's value widened without loss of sign information.
struct Wide {
    bool negative;
    uint64 magnitude; // two's-complement bits when negative
};

Wide integerOf(const InnerRefCountedValueData& r)
{
    switch (r.type) {
    case ValueTypeBool: return {false, r.payload.b ? 1u : 0u};
    case ValueTypeChar: return {r.payload.c < 0, static_cast<uint64>(static_cast<int64>(r.payload.c))};
    case ValueTypeInt: return {r.payload.i < 0, static_cast<uint64>(static_cast<int64>(r.payload.i))};
    case ValueTypeUInt: return {false, r.payload.u};
    case ValueTypeInt64: return {r.payload.l < 0, static_cast<uint64>(r.payload.l)};
    case ValueTypeUInt64: return {false, r.payload.ul};
    default: return {false, 0};
    }
}

bool isCastable(ValueType t)
{
    return t == ValueTypeBool || t == ValueTypeChar || isInteger(t);
}

// A double within [lo, hi] converted by truncation; false for NaN or out of range.
template <class T>
bool doubleTo(double d, T& out)
{
    if (std::isnan(d))
        return false;
    const double t = std::trunc(d);
    if (t < static_cast<double>(std::numeric_limits<T>::lowest()) ||
        t >= static_cast<double>(std::numeric_limits<T>::max()) + 1.0)
        return false;
    out = static_cast<T>(t);
    return true;
}

template <class T>
T integerTarget(const InnerRefCountedValueData& r, bool* ok)
{
    setOk<T>(ok, false);
    if (isCastable(r.type)) {
        setOk<T>(ok, true);
        return static_cast<T>(integerOf(r).magnitude);
    }
    if (r.type == ValueTypeDouble) {
        T out{};
        if (!doubleTo(r.payload.d, out))
            return T{};
        setOk<T>(ok, true);
        return out;
    }
    bool parsed = false;
    if (r.type == ValueTypeString || r.type == ValueTypeWideString) {
        T out;
        if constexpr (sizeof(T) == 8)
            out = static_cast<T>(r.type == ValueTypeString ? r.payload.s->toInt64Value(&parsed)
                                                           : r.payload.w->toInt64Value(&parsed));
        else
            out = static_cast<T>(r.type == ValueTypeString ? r.payload.s->toIntValue(&parsed)
                                                           : r.payload.w->toIntValue(&parsed));
        if (!parsed)
            return T{};
        setOk<T>(ok, true);
        return out;
    }
    return T{};
}

String decimal(const InnerRefCountedValueData& r)
{
    char buf[32];
    switch (r.type) {
    case ValueTypeInt: std::snprintf(buf, sizeof buf, "%d", r.payload.i); break;
    case ValueTypeUInt: std::snprintf(buf, sizeof buf, "%u", r.payload.u); break;
    case ValueTypeInt64: std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(r.payload.l)); break;
    case ValueTypeUInt64: std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(r.payload.ul)); break;
    default: buf[0] = 0; break;
    }
    return String(buf);
}

Date parseDate(const String& text, bool* ok)
{
    setOk<Date>(ok, false);
    const String trimmed = text.trim();
    if (trimmed.isEmpty())
        return Date();
    try {
        const Date d = text::DateFormat(String(kDatePattern)).parse(trimmed);
        // The zero Date also stands for "did not match".
        if (d.toMilliseconds() == 0 && trimmed != "1900-01-01 00:00:00")
            return Date();
        setOk<Date>(ok, true);
        return d;
    } catch (const IllegalArgumentException&) {
        return Date();
    }
}

} // namespace

void InnerRefCountedValueData::releasePayload()
{
    switch (type) {
    case ValueTypeString: delete payload.s; break;
    case ValueTypeWideString: delete payload.w; break;
    case ValueTypeDate: delete payload.date; break;
    case ValueTypeCustom:
        if (freeFunction)
            freeFunction(payload.custom);
        break;
    default: break;
    }
    type = ValueTypeNull;
    payload.ul = 0;
    freeFunction = nullptr;
    copyFunction = nullptr;
}

// Construction: one fresh record each.
#define TESSALY_VALUE_CTOR(Arg) \
    Value::Value(Arg v) : Value() { setValue(v); }

Value::Value() : inner_(new InnerRefCountedValueData)
{
    inner_->addRef();
}

TESSALY_VALUE_CTOR(bool)
TESSALY_VALUE_CTOR(char)
TESSALY_VALUE_CTOR(int)
TESSALY_VALUE_CTOR(unsigned int)
TESSALY_VALUE_CTOR(int64)
TESSALY_VALUE_CTOR(uint64)
TESSALY_VALUE_CTOR(double)
TESSALY_VALUE_CTOR(const String&)
TESSALY_VALUE_CTOR(const WideString&)
TESSALY_VALUE_CTOR(const Date&)
TESSALY_VALUE_CTOR(const char*)
TESSALY_VALUE_CTOR(const wchar_t*)
#undef TESSALY_VALUE_CTOR

Value::Value(const char* s, int n) : Value()
{
    setValue(s, n);
}

Value::Value(const wchar_t* s, int n) : Value()
{
    setValue(s, n);
}

Value::Value(void* data, ValueCopyFunction copy, ValueFreeFunction free) : Value()
{
    setValue(data, copy, free);
}

Value::Value(const Value& other) : inner_(other.inner_)
{
    inner_->addRef();
}

Value& Value::operator=(const Value& other)
{
    if (inner_ == other.inner_)
        return *this;
    other.inner_->addRef();
    inner_->release();
    inner_ = other.inner_;
    return *this;
}

Value::~Value()
{
    inner_->release();
}

InnerRefCountedValueData* Value::writable()
{
    if (inner_->getRefCount() == 1) {
        inner_->releasePayload();
        return inner_;
    }
    auto* fresh = new InnerRefCountedValueData;
    fresh->addRef();
    inner_->release();
    inner_ = fresh;
    return inner_;
}

void Value::detach()
{
    if (inner_->getRefCount() == 1)
        return;
    auto* copy = new InnerRefCountedValueData;
    copy->addRef();
    copy->type = inner_->type;
    copy->freeFunction = inner_->freeFunction;
    copy->copyFunction = inner_->copyFunction;
    switch (inner_->type) {
    case ValueTypeString: copy->payload.s = new String(*inner_->payload.s); break;
    case ValueTypeWideString: copy->payload.w = new WideString(*inner_->payload.w); break;
    case ValueTypeDate: copy->payload.date = new Date(*inner_->payload.date); break;
    case ValueTypeCustom: copy->payload.custom = inner_->copyFunction(inner_->payload.custom); break;
    default: copy->payload = inner_->payload; break;
    }
    inner_->release();
    inner_ = copy;
}

void Value::setValue(bool v)
{
    auto* r = writable();
    r->payload.b = v;
    r->type = ValueTypeBool;
}

void Value::setValue(char v)
{
    auto* r = writable();
    r->payload.c = v;
    r->type = ValueTypeChar;
}

void Value::setValue(int v)
{
    auto* r = writable();
    r->payload.i = v;
    r->type = ValueTypeInt;
}

void Value::setValue(unsigned int v)
{
    auto* r = writable();
    r->payload.u = v;
    r->type = ValueTypeUInt;
}

void Value::setValue(int64 v)
{
    auto* r = writable();
    r->payload.l = v;
    r->type = ValueTypeInt64;
}

void Value::setValue(uint64 v)
{
    auto* r = writable();
    r->payload.ul = v;
    r->type = ValueTypeUInt64;
}

void Value::setValue(double v)
{
    auto* r = writable();
    r->payload.d = v;
    r->type = ValueTypeDouble;
}

void Value::setValue(const String& v)
{
    // Copy first: v may live in the record that is about to be released.
    auto* cell = new String(v);
    auto* r = writable();
    r->payload.s = cell;
    r->type = ValueTypeString;
}

void Value::setValue(const WideString& v)
{
    auto* cell = new WideString(v);
    auto* r = writable();
    r->payload.w = cell;
    r->type = ValueTypeWideString;
}

void Value::setValue(const Date& v)
{
    auto* cell = new Date(v);
    auto* r = writable();
    r->payload.date = cell;
    r->type = ValueTypeDate;
}

void Value::setValue(const char* s, int n)
{
    setValue(String(s, n));
}

void Value::setValue(const wchar_t* s, int n)
{
    setValue(WideString(s, n));
}

void Value::setValue(const char* s)
{
    setValue(String(s));
}

void Value::setValue(const wchar_t* s)
{
    setValue(WideString(s));
}

void Value::setValue(void* data, ValueCopyFunction copy, ValueFreeFunction free)
{
    auto* r = writable();
    if (!copy)
        return;
    r->payload.custom = data;
    r->copyFunction = copy;
    r->freeFunction = free;
    r->type = ValueTypeCustom;
}

void Value::clear()
{
    if (inner_->getRefCount() == 1) {
        inner_->releasePayload();
        return;
    }
    // Shared: duplicating only to free the duplicate would be wasted work.
    writable();
}

void* Value::customData() const
{
    return inner_->type == ValueTypeCustom ? inner_->payload.custom : nullptr;
}

void Value::clearCustomData(ValueFreeFunction free)
{
    if (inner_->type != ValueTypeCustom || !free)
        return;
    detach();
    inner_->freeFunction = free;
    inner_->releasePayload();
}

bool Value::toBool(bool* ok) const
{
    const auto& r = *inner_;
    setOk<bool>(ok, true);
    switch (r.type) {
    case ValueTypeBool: return r.payload.b;
    case ValueTypeChar:
    case ValueTypeInt:
    case ValueTypeUInt:
    case ValueTypeInt64:
    case ValueTypeUInt64: return integerOf(r).magnitude != 0;
    case ValueTypeString: return r.payload.s->toBoolValue();
    case ValueTypeWideString: return r.payload.w->toBoolValue();
    default: setOk<bool>(ok, false); return false;
    }
}

char Value::toChar(bool* ok) const
{
    const auto& r = *inner_;
    const bool good = r.type == ValueTypeChar || isInteger(r.type);
    setOk<char>(ok, good);
    return good ? static_cast<char>(integerOf(r).magnitude & 0xFF) : 0;
}

int Value::toInt(bool* ok) const
{
    return integerTarget<int>(*inner_, ok);
}

unsigned int Value::toUInt(bool* ok) const
{
    return integerTarget<unsigned int>(*inner_, ok);
}

int64 Value::toInt64(bool* ok) const
{
    return integerTarget<int64>(*inner_, ok);
}

uint64 Value::toUInt64(bool* ok) const
{
    return integerTarget<uint64>(*inner_, ok);
}

double Value::toDouble(bool* ok) const
{
    const auto& r = *inner_;
    setOk<double>(ok, true);
    switch (r.type) {
    case ValueTypeDouble: return r.payload.d;
    case ValueTypeBool: return r.payload.b ? 1.0 : 0.0;
    case ValueTypeChar: return static_cast<double>(r.payload.c);
    case ValueTypeInt: return static_cast<double>(r.payload.i);
    case ValueTypeUInt: return static_cast<double>(r.payload.u);
    case ValueTypeInt64: return static_cast<double>(r.payload.l);
    case ValueTypeUInt64: return static_cast<double>(r.payload.ul);
    case ValueTypeString: return r.payload.s->toDoubleValue(ok);
    case ValueTypeWideString: return r.payload.w->toDoubleValue(ok);
    default: setOk<double>(ok, false); return 0.0;
    }
}

String Value::toString(bool* ok) const
{
    const auto& r = *inner_;
    setOk<String>(ok, true);
    switch (r.type) {
    case ValueTypeString: return *r.payload.s;
    case ValueTypeBool: return String(r.payload.b ? "true" : "false");
    case ValueTypeChar: return String(r.payload.c);
    case ValueTypeInt:
    case ValueTypeUInt:
    case ValueTypeInt64:
    case ValueTypeUInt64: return decimal(r);
    case ValueTypeDouble: {
        char buf[512];
        std::snprintf(buf, sizeof buf, "%.2f", r.payload.d);
        return String(buf);
    }
    case ValueTypeWideString: return r.payload.w->toASCII();
    case ValueTypeDate: return r.payload.date->toString(true, true);
    default: setOk<String>(ok, false); return String();
    }
}

WideString Value::toWideString(bool* ok) const
{
    const auto& r = *inner_;
    if (r.type == ValueTypeWideString) {
        setOk<WideString>(ok, true);
        return *r.payload.w;
    }
    bool good = false;
    const String narrow = toString(&good);
    setOk<WideString>(ok, good);
    if (!good || narrow.isEmpty())
        return WideString();
    return WideString(narrow.text(), static_cast<int>(narrow.length()));
}

Date Value::toDate(bool* ok) const
{
    const auto& r = *inner_;
    setOk<Date>(ok, false);
    switch (r.type) {
    case ValueTypeDate: setOk<Date>(ok, true); return *r.payload.date;
    case ValueTypeInt:
    case ValueTypeUInt:
    case ValueTypeInt64:
    case ValueTypeUInt64: {
        // Out of range throws from the Date constructor.
        const Date d(static_cast<int64>(integerOf(r).magnitude));
        setOk<Date>(ok, true);
        return d;
    }
    case ValueTypeString: return parseDate(*r.payload.s, ok);
    case ValueTypeWideString: return parseDate(r.payload.w->toASCII(), ok);
    default: return Date();
    }
}

bool Value::convertTo(ValueType target)
{
    if (isNull() || target == ValueTypeNull || target == ValueTypeCustom || target < ValueTypeNull ||
        target > ValueTypeCustom)
        return false;
    if (target == type())
        return true;
    bool ok = false;
    switch (target) {
    case ValueTypeBool: { const bool v = toBool(&ok); if (ok) setValue(v); break; }
    case ValueTypeChar: { const char v = toChar(&ok); if (ok) setValue(v); break; }
    case ValueTypeInt: { const int v = toInt(&ok); if (ok) setValue(v); break; }
    case ValueTypeUInt: { const unsigned int v = toUInt(&ok); if (ok) setValue(v); break; }
    case ValueTypeInt64: { const int64 v = toInt64(&ok); if (ok) setValue(v); break; }
    case ValueTypeUInt64: { const uint64 v = toUInt64(&ok); if (ok) setValue(v); break; }
    case ValueTypeDouble: { const double v = toDouble(&ok); if (ok) setValue(v); break; }
    case ValueTypeString: { const String v = toString(&ok); if (ok) setValue(v); break; }
    case ValueTypeWideString: { const WideString v = toWideString(&ok); if (ok) setValue(v); break; }
    case ValueTypeDate: { const Date v = toDate(&ok); if (ok) setValue(v); break; }
    default: break;
    }
    return ok;
}

bool Value::compare(const Value& o) const
{
    const auto& a = *inner_;
    const auto& b = *o.inner_;
    if (&a == &b)
        return a.type != ValueTypeDouble || !std::isnan(a.payload.d);
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case ValueTypeNull: return true;
    case ValueTypeBool: return a.payload.b == b.payload.b;
    case ValueTypeChar: return a.payload.c == b.payload.c;
    case ValueTypeInt: return a.payload.i == b.payload.i;
    case ValueTypeUInt: return a.payload.u == b.payload.u;
    case ValueTypeInt64: return a.payload.l == b.payload.l;
    case ValueTypeUInt64: return a.payload.ul == b.payload.ul;
    case ValueTypeDouble: return a.payload.d == b.payload.d;
    case ValueTypeString: return *a.payload.s == *b.payload.s;
    case ValueTypeWideString: return *a.payload.w == *b.payload.w;
    case ValueTypeDate: return *a.payload.date == *b.payload.date;
    case ValueTypeCustom: return a.payload.custom == b.payload.custom;
    }
    return false;
}

} // namespace tessaly::core
