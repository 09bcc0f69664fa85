#pragma once

#include "tessaly/core/RefCountedBase.h"
#include "tessaly/core/RefCountedPtr.h"
#include "tessaly/core/Types.h"

namespace tessaly::core {

// Shared character buffer behind String and WideString: capacity and length
// in characters, and a buffer of capacity + 1 characters terminated at length.
template <class C>
class InnerRefCountedText : public RefCountedBase {
public:
    explicit InnerRefCountedText(unsigned cap) : capacity(cap), length(0), buffer(new C[cap + 1]) { buffer[0] = 0; }
    // Adopts a buffer allocated with new[].
    InnerRefCountedText(C* adopted, unsigned cap, unsigned len) : capacity(cap), length(len), buffer(adopted) {}
    ~InnerRefCountedText() override { delete[] buffer; }
    InnerRefCountedText(const InnerRefCountedText&) = delete;
    InnerRefCountedText& operator=(const InnerRefCountedText&) = delete;

    unsigned capacity;
    unsigned length;
    C* buffer;
};

// The operations shared by String (C = char) and WideString (C = wchar_t).
// D is the concrete class, so every result comes back as that type.
// An empty text holds no buffer; a buffer of length 0 counts as empty too.
template <class C, class D>
class BasicText {
public:
    using Inner = InnerRefCountedText<C>;

    BasicText() = default;
    BasicText(const C* s);
    BasicText(const C* s, int n);
    BasicText(const C* s, int start, int count);
    explicit BasicText(C c);
    explicit BasicText(int value);
    explicit BasicText(int64 value);
    explicit BasicText(double value);

    static D preallocate(unsigned n);
    static D attach(C* buffer, unsigned size, int length);

    // Access; text() is null for an empty text.
    const C* text() const { return length() ? inner_->buffer : nullptr; }
    operator const C*() const { return text(); }
    C operator[](int i) const;
    C getLastChar() const;
    unsigned length() const { return inner_ ? inner_->length : 0; }
    unsigned capacity() const { return inner_ ? inner_->capacity : 0; }
    bool isEmpty() const { return length() == 0; }
    void emptyData() { inner_.reset(); }

    // Assignment and appending.
    D& operator=(const C* s);
    D& operator=(C c);
    D& operator+=(const D& other);
    D& operator+=(const C* s);
    D& operator+=(C c)
    {
        // Inline fast path: room left in a buffer nobody else shares.
        Inner* in = inner_.get();
        if (c && in && in->length < in->capacity && in->getRefCount() == 1) {
            in->buffer[in->length] = c;
            in->buffer[++in->length] = 0;
            return static_cast<D&>(*this);
        }
        return appendCharSlow(c);
    }
    D& append(const C* s, int n = -1);
    D& operator<<(const D& other) { return *this += other; }
    D& operator<<(const C* s) { return *this += s; }
    D& operator<<(C c) { return *this += c; }
    D& operator<<(int value);
    D& operator<<(int64 value);
    D& operator<<(float value);
    D& operator<<(double value);
    void setAt(int i, C c);
    void shrink(unsigned n);
    void ensureCapacity(unsigned n);

    // New texts; this one is left unchanged.
    D operator+(const D& other) const;
    D operator+(const C* s) const;
    D operator+(C c) const;
    D substring(int start) const;
    D substring(int start, int count) const;
    D dropLastChars(int n) const;
    D trim() const;
    D ltrim() const;
    D rtrim() const;
    D toUpperCase() const;
    D toLowerCase() const;
    D insert(int pos, const C* s) const;
    D insert(int pos, C c) const;
    D replace(int start, int count, const C* s, int n = -1) const;
    D replaceAll(C from, C to) const;
    D replaceAll(const C* find, const C* replacement, bool ignoreCase = false) const;
    D filter(const C* set, bool exclude = false) const;
    D fromFirstOccurrenceOf(const C* s, bool include = false, bool ignoreCase = false) const;
    D fromLastOccurrenceOf(const C* s, bool include = false, bool ignoreCase = false) const;
    D uptoFirstOccurrenceOf(const C* s, bool include = false, bool ignoreCase = false) const;
    D uptoLastOccurrenceOf(const C* s, bool include = false, bool ignoreCase = false) const;

    // Comparison and search. The operators are hidden friends taking the
    // concrete type first, so every form has one exact best match (no
    // ambiguity with reversed operands or the const C* conversion).
    friend bool operator==(const D& a, const D& b) { return a.compareText(b) == 0; }
    friend bool operator==(const D& a, const C* s) { return a.compare(s, false) == 0; }
    friend bool operator==(const D& a, C c) { return a.compareChar(c, false) == 0; }
    friend bool operator!=(const D& a, const D& b) { return a.compareText(b) != 0; }
    friend bool operator!=(const D& a, const C* s) { return a.compare(s, false) != 0; }
    friend bool operator!=(const D& a, C c) { return a.compareChar(c, false) != 0; }
    friend bool operator<(const D& a, const D& b) { return a.compareText(b) < 0; }
    friend bool operator<(const D& a, const C* s) { return a.compare(s, false) < 0; }
    friend bool operator<(const D& a, C c) { return a.compareChar(c, false) < 0; }
    friend bool operator<=(const D& a, const D& b) { return a.compareText(b) <= 0; }
    friend bool operator<=(const D& a, const C* s) { return a.compare(s, false) <= 0; }
    friend bool operator<=(const D& a, C c) { return a.compareChar(c, false) <= 0; }
    friend bool operator>(const D& a, const D& b) { return a.compareText(b) > 0; }
    friend bool operator>(const D& a, const C* s) { return a.compare(s, false) > 0; }
    friend bool operator>(const D& a, C c) { return a.compareChar(c, false) > 0; }
    friend bool operator>=(const D& a, const D& b) { return a.compareText(b) >= 0; }
    friend bool operator>=(const D& a, const C* s) { return a.compare(s, false) >= 0; }
    friend bool operator>=(const D& a, C c) { return a.compareChar(c, false) >= 0; }
    bool equalsIgnoreCase(const D& o) const { return compare(o.text(), true) == 0; }
    bool equalsIgnoreCase(const C* s) const { return compare(s, true) == 0; }
    bool equalsIgnoreCase(C c) const { return compareChar(c, true) == 0; }
    int compareIgnoreCase(const D& o) const { return compare(o.text(), true); }
    int compareIgnoreCase(const C* s) const { return compare(s, true); }
    int compareIgnoreCase(C c) const { return compareChar(c, true); }
    bool equals(const C* s, unsigned n, bool ignoreCase = false) const;

    int indexOf(const C* s, bool ignoreCase = false) const { return indexOf(0, s, ignoreCase); }
    int indexOf(C c, bool ignoreCase = false) const { return indexOf(0, c, ignoreCase); }
    int indexOf(int start, const C* s, bool ignoreCase = false) const;
    int indexOf(int start, C c, bool ignoreCase = false) const;
    int lastIndexOf(const C* s, bool ignoreCase = false) const;
    int lastIndexOf(C c, bool ignoreCase = false) const;
    int indexAnyOf(const C* set, bool ignoreCase = false) const { return indexAnyOf(0, set, ignoreCase); }
    int indexAnyOf(int start, const C* set, bool ignoreCase = false) const;
    int lastIndexAnyOf(const C* set, bool ignoreCase = false) const;
    bool contains(const C* s, bool ignoreCase = false) const { return indexOf(s, ignoreCase) >= 0; }
    bool contains(C c, bool ignoreCase = false) const { return indexOf(c, ignoreCase) >= 0; }
    bool containsAnyOf(const C* set) const { return indexAnyOf(set, false) >= 0; }
    bool startsWith(const C* s, bool ignoreCase = false) const;
    bool startsWith(C c, bool ignoreCase = false) const;
    bool endsWith(const C* s, bool ignoreCase = false) const;
    bool endsWith(C c, bool ignoreCase = false) const;
    bool matchesWildcard(const C* pattern, bool ignoreCase = false) const;
    unsigned hashCode() const;

    // Conversions.
    int toIntValue(bool* ok = nullptr) const;
    int64 toInt64Value(bool* ok = nullptr) const;
    double toDoubleValue(bool* ok = nullptr) const;
    bool toBoolValue() const;
    static D toHexString(int value);
    static D toHexString(int64 value);
    static D toHexString(short value);
    static D toHexString(const unsigned char* bytes, int n);
    int copyToBuffer(C* buf, int size) const;

    // Character classification in the "C" locale.
    static bool isWhitespace(C c);
    static bool isLetter(C c);
    static bool isDigit(C c);
    static bool isLetterOrDigit(C c) { return isLetter(c) || isDigit(c); }
    static C toUpperCase(C c);
    static C toLowerCase(C c);
    // Case-sensitive match used for directory listings; an empty text
    // matches only an empty pattern.
    static bool matchesWildcard(const C* text, const C* pattern);

protected:
    ~BasicText() = default;
    BasicText(const BasicText&) = default;
    BasicText& operator=(const BasicText& o) = default;

    const C* data() const { return inner_ ? inner_->buffer : nullptr; }
    int compare(const C* s, bool ignoreCase) const;
    int compareText(const D& other) const;
    D& appendCharSlow(C c);
    int compareChar(C c, bool ignoreCase) const;
    void assign(const C* s, unsigned n);
    void appendChars(const C* s, unsigned n);
    void unshare();
    static D make(const C* s, unsigned n);
    static unsigned growth(unsigned n) { return ((n + 2) / 2) * 3; }

    RefCountedPtr<Inner> inner_;
};

} // namespace tessaly::core
