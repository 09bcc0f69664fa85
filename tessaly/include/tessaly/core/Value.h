#pragma once

#include "tessaly/core/Date.h"
#include "tessaly/core/RefCountedBase.h"
#include "tessaly/core/String.h"
#include "tessaly/core/Types.h"
#include "tessaly/core/WideString.h"

namespace tessaly::core {

// The kinds a Value can hold; the codes are fixed.
enum ValueType {
    ValueTypeNull = 0,
    ValueTypeBool = 1,
    ValueTypeChar = 2,
    ValueTypeInt = 3,
    ValueTypeUInt = 4,
    ValueTypeInt64 = 5,
    ValueTypeUInt64 = 6,
    ValueTypeDouble = 7,
    ValueTypeString = 8,
    ValueTypeWideString = 9,
    ValueTypeDate = 10,
    ValueTypeCustom = 11
};

using ValueCopyFunction = void* (*)(void*);
using ValueFreeFunction = void (*)(void*);

// The shared record behind Value.
class InnerRefCountedValueData : public RefCountedBase {
public:
    InnerRefCountedValueData() = default;
    ~InnerRefCountedValueData() override { releasePayload(); }
    InnerRefCountedValueData(const InnerRefCountedValueData&) = delete;
    InnerRefCountedValueData& operator=(const InnerRefCountedValueData&) = delete;

    // Frees what the payload owns; the record becomes null.
    void releasePayload();

    ValueType type = ValueTypeNull;
    union Payload {
        bool b;
        char c;
        int i;
        unsigned int u;
        int64 l;
        uint64 ul;
        double d;
        String* s;
        WideString* w;
        Date* date;
        void* custom;
    } payload{};
    ValueFreeFunction freeFunction = nullptr;
    ValueCopyFunction copyFunction = nullptr;
};

// A tagged variant over a shared record: copies share it, and changing a
// shared record replaces it for this holder only.
//
// Conversions (toBool ... toDate, convertTo) follow one table: numbers
// convert between numeric kinds by cast (a double outside the target's
// range fails instead of wrapping), texts through their own parsing, Dates
// to text as "yyyy-MM-dd HH:mm:ss" and back through the same pattern,
// integers to Dates as milliseconds. A failed conversion sets ok (optional)
// false and gives the target's zero value; a Date made from an integer
// outside the Date range throws IllegalArgumentException.
class Value {
public:
    Value();
    Value(bool v);
    Value(char v);
    Value(int v);
    Value(unsigned int v);
    Value(int64 v);
    Value(uint64 v);
    Value(double v);
    Value(const String& v);
    Value(const WideString& v);
    Value(const Date& v);
    // A String / WideString of the first n characters (as the string
    // constructors with a count). The one-argument forms take the whole
    // text, so a literal never turns into a bool.
    Value(const char* s, int n);
    Value(const wchar_t* s, int n);
    Value(const char* s);
    Value(const wchar_t* s);
    // Custom data, held as given; without a copy function the Value is null.
    Value(void* data, ValueCopyFunction copy, ValueFreeFunction free);
    Value(const Value& other);
    Value& operator=(const Value& other);
    ~Value();

    void setValue(bool v);
    void setValue(char v);
    void setValue(int v);
    void setValue(unsigned int v);
    void setValue(int64 v);
    void setValue(uint64 v);
    void setValue(double v);
    void setValue(const String& v);
    void setValue(const WideString& v);
    void setValue(const Date& v);
    void setValue(const char* s, int n);
    void setValue(const wchar_t* s, int n);
    void setValue(const char* s);
    void setValue(const wchar_t* s);
    void setValue(void* data, ValueCopyFunction copy, ValueFreeFunction free);

    ValueType type() const { return inner_->type; }
    bool isNull() const { return inner_->type == ValueTypeNull; }
    // Becomes null; other holders of a shared record keep their value.
    void clear();
    // The custom pointer, null for other kinds.
    void* customData() const;
    // Frees this holder's custom data with the given function (a shared
    // record is first duplicated through its copy function).
    void clearCustomData(ValueFreeFunction free);

    bool toBool(bool* ok = nullptr) const;
    char toChar(bool* ok = nullptr) const;
    int toInt(bool* ok = nullptr) const;
    unsigned int toUInt(bool* ok = nullptr) const;
    int64 toInt64(bool* ok = nullptr) const;
    uint64 toUInt64(bool* ok = nullptr) const;
    double toDouble(bool* ok = nullptr) const;
    String toString(bool* ok = nullptr) const;
    WideString toWideString(bool* ok = nullptr) const;
    Date toDate(bool* ok = nullptr) const;

    // False for a null value or a null/custom target; otherwise converts in
    // place, leaving the value unchanged when the conversion fails.
    bool convertTo(ValueType target);

    bool operator==(const Value& o) const { return compare(o); }
    bool operator!=(const Value& o) const { return !compare(o); }

    // Holders of this Value's record (for diagnostics and tests).
    int shareCount() const { return inner_->getRefCount(); }

private:
    bool compare(const Value& o) const;
    const void* data() const { return &inner_->payload; }
    // A record this Value may change: the current one when unshared
    // (payload released), else a fresh one.
    InnerRefCountedValueData* writable();
    // Makes the record unshared by duplicating it.
    void detach();

    InnerRefCountedValueData* inner_;
};

} // namespace tessaly::core
