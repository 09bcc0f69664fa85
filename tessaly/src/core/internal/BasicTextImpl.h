#pragma once

// Definitions of BasicText; included by String.cpp and WideString.cpp,
// which instantiate it for their character type.

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/internal/CharOps.h"
#include "tessaly/core/BasicText.h"

namespace tessaly::core {

namespace textimpl {

template <class C>
inline std::size_t safeLen(const C* s)
{
    return s ? internal::CharOps<C>::len(s) : 0;
}

template <class C>
inline typename internal::CharOps<C>::Unsigned uc(C c)
{
    return static_cast<typename internal::CharOps<C>::Unsigned>(c);
}

template <class C>
inline bool sameChar(C a, C b, bool ignoreCase)
{
    return ignoreCase ? internal::CharOps<C>::upper(a) == internal::CharOps<C>::upper(b) : a == b;
}

// First position >= start of needle (nlen > 0) in hay, or -1.
template <class C>
int find(const C* hay, unsigned hlen, unsigned start, const C* needle, unsigned nlen, bool ignoreCase)
{
    if (nlen > hlen)
        return -1;
    if (!ignoreCase) {
        // The library search (memchr/memcmp underneath) is far faster than a plain loop.
        const std::size_t at = std::basic_string_view<C>(hay, hlen).find(std::basic_string_view<C>(needle, nlen), start);
        return at == std::basic_string_view<C>::npos ? -1 : static_cast<int>(at);
    }
    for (unsigned i = start; i + nlen <= hlen; ++i) {
        unsigned k = 0;
        while (k < nlen && sameChar(hay[i + k], needle[k], ignoreCase))
            ++k;
        if (k == nlen)
            return static_cast<int>(i);
    }
    return -1;
}

template <class C>
bool inSet(C c, const C* set, bool ignoreCase)
{
    for (; *set; ++set)
        if (sameChar(c, *set, ignoreCase))
            return true;
    return false;
}

template <class C>
bool wildEq(C a, C b, bool ignoreCase)
{
    return ignoreCase ? internal::CharOps<C>::lower(a) == internal::CharOps<C>::lower(b) : a == b;
}

// Anchored '?'/'*' match. Backtracks only to the latest star, which gives
// the same answer as trying every start position recursively but in
// O(n * m) time whatever the pattern.
template <class C>
bool wildcard(const C* t, unsigned n, const C* p, unsigned m, bool ignoreCase)
{
    unsigned i = 0, j = 0;
    bool haveStar = false;
    unsigned starJ = 0, starI = 0;
    while (i < n) {
        if (j < m && p[j] == C('*')) {
            haveStar = true;
            starJ = j++;
            starI = i;
        } else if (j < m && (p[j] == C('?') || wildEq(t[i], p[j], ignoreCase))) {
            ++i;
            ++j;
        } else if (haveStar) {
            j = starJ + 1;
            i = ++starI;
        } else {
            return false;
        }
    }
    while (j < m && p[j] == C('*'))
        ++j;
    return j == m;
}

} // namespace textimpl

using internal::CharOps;

template <class C, class D>
D BasicText<C, D>::make(const C* s, unsigned n)
{
    D r;
    if (n == 0)
        return r;
    Inner* in = new Inner(growth(n));
    std::memcpy(in->buffer, s, n * sizeof(C));
    in->buffer[n] = 0;
    in->length = n;
    static_cast<BasicText&>(r).inner_.reset(in);
    return r;
}

template <class C, class D>
BasicText<C, D>::BasicText(const C* s)
{
    assign(s, static_cast<unsigned>(textimpl::safeLen(s)));
}

template <class C, class D>
BasicText<C, D>::BasicText(const C* s, int n)
{
    const std::size_t l = textimpl::safeLen(s);
    const std::size_t take = n < 0 ? 0 : std::min<std::size_t>(l, static_cast<std::size_t>(n));
    assign(s, static_cast<unsigned>(take));
}

template <class C, class D>
BasicText<C, D>::BasicText(const C* s, int start, int count)
{
    const std::size_t l = textimpl::safeLen(s);
    const std::size_t from = start < 0 ? 0 : std::min<std::size_t>(l, static_cast<std::size_t>(start));
    const std::size_t take = count < 0 ? 0 : std::min<std::size_t>(l - from, static_cast<std::size_t>(count));
    if (take)
        assign(s + from, static_cast<unsigned>(take));
}

template <class C, class D>
BasicText<C, D>::BasicText(C c)
{
    if (c)
        assign(&c, 1);
}

template <class C, class D>
BasicText<C, D>::BasicText(int value)
{
    C buf[32];
    const int n = CharOps<C>::formatInt(buf, 32, value);
    assign(buf, static_cast<unsigned>(n));
}

template <class C, class D>
BasicText<C, D>::BasicText(int64 value)
{
    C buf[32];
    const int n = CharOps<C>::formatInt64(buf, 32, value);
    assign(buf, static_cast<unsigned>(n));
}

template <class C, class D>
BasicText<C, D>::BasicText(double value)
{
    // Large enough for "%.2f" of the largest double.
    C buf[400];
    const int n = CharOps<C>::formatDouble(buf, 400, value);
    assign(buf, n > 0 ? static_cast<unsigned>(n) : 0);
}

template <class C, class D>
D BasicText<C, D>::preallocate(unsigned n)
{
    D r;
    if (n)
        static_cast<BasicText&>(r).inner_.reset(new Inner(growth(n)));
    return r;
}

template <class C, class D>
D BasicText<C, D>::attach(C* buffer, unsigned size, int length)
{
    D r;
    if (!buffer)
        return r;
    const std::size_t l = CharOps<C>::len(buffer);
    const unsigned len = (length >= 0 && static_cast<std::size_t>(length) < l) ? static_cast<unsigned>(length)
                                                                                : static_cast<unsigned>(l);
    if (len == 0) {
        // Ownership was handed over with the call; an empty text keeps no buffer.
        delete[] buffer;
        return r;
    }
    buffer[len] = 0;
    const unsigned cap = size > len ? size - 1 : len;
    static_cast<BasicText&>(r).inner_.reset(new Inner(buffer, cap, len));
    return r;
}

// ---- access -------------------------------------------------------------

template <class C, class D>
C BasicText<C, D>::operator[](int i) const
{
    if (i < 0 || static_cast<unsigned>(i) >= length())
        return 0;
    return inner_->buffer[i];
}

template <class C, class D>
C BasicText<C, D>::getLastChar() const
{
    const unsigned l = length();
    return l ? inner_->buffer[l - 1] : C(0);
}

// ---- assignment and appending ---------------------------------------------

template <class C, class D>
void BasicText<C, D>::assign(const C* s, unsigned n)
{
    if (!s || n == 0) {
        inner_.reset();
        return;
    }
    const unsigned cur = length();
    if (cur == n && std::memcmp(inner_->buffer, s, n * sizeof(C)) == 0)
        return;
    if (inner_ && n <= inner_->capacity) {
        if (inner_->getRefCount() < 2) {
            // memmove: s may lie inside this very buffer.
            std::memmove(inner_->buffer, s, n * sizeof(C));
            inner_->buffer[n] = 0;
            inner_->length = n;
            return;
        }
        Inner* in = new Inner(inner_->capacity);
        std::memcpy(in->buffer, s, n * sizeof(C));
        in->buffer[n] = 0;
        in->length = n;
        inner_.reset(in);
        return;
    }
    Inner* in = new Inner(growth(n));
    std::memcpy(in->buffer, s, n * sizeof(C));
    in->buffer[n] = 0;
    in->length = n;
    inner_.reset(in);
}

template <class C, class D>
D& BasicText<C, D>::operator=(const C* s)
{
    assign(s, static_cast<unsigned>(textimpl::safeLen(s)));
    return static_cast<D&>(*this);
}

template <class C, class D>
D& BasicText<C, D>::operator=(C c)
{
    if (c)
        assign(&c, 1);
    else
        inner_.reset();
    return static_cast<D&>(*this);
}

template <class C, class D>
void BasicText<C, D>::appendChars(const C* s, unsigned n)
{
    if (!s || n == 0)
        return;
    if (!inner_) {
        assign(s, n);
        return;
    }
    const unsigned len = inner_->length;
    const unsigned total = len + n;
    if (inner_->getRefCount() >= 2) {
        // First write to a shared buffer: copy without growth slack.
        Inner* in = new Inner(std::max(inner_->capacity, total));
        std::memcpy(in->buffer, inner_->buffer, len * sizeof(C));
        std::memcpy(in->buffer + len, s, n * sizeof(C));
        in->buffer[total] = 0;
        in->length = total;
        inner_.reset(in);
    } else if (total <= inner_->capacity) {
        // s may point into our own text; that part lies before len and is not overwritten.
        std::memmove(inner_->buffer + len, s, n * sizeof(C));
        inner_->buffer[total] = 0;
        inner_->length = total;
    } else {
        Inner* in = new Inner(growth(total));
        std::memcpy(in->buffer, inner_->buffer, len * sizeof(C));
        std::memcpy(in->buffer + len, s, n * sizeof(C));
        in->buffer[total] = 0;
        in->length = total;
        inner_.reset(in);
    }
}

template <class C, class D>
D& BasicText<C, D>::operator+=(const D& other)
{
    const BasicText& o = other;
    if (isEmpty()) {
        if (o.length())
            inner_ = o.inner_;
        else
            inner_.reset();
    } else if (o.length()) {
        // Keep the other buffer alive: it may be ours.
        RefCountedPtr<Inner> keep = o.inner_;
        appendChars(keep->buffer, keep->length);
    }
    return static_cast<D&>(*this);
}

template <class C, class D>
D& BasicText<C, D>::operator+=(const C* s)
{
    if (isEmpty())
        return *this = s;
    appendChars(s, static_cast<unsigned>(textimpl::safeLen(s)));
    return static_cast<D&>(*this);
}

template <class C, class D>
D& BasicText<C, D>::appendCharSlow(C c)
{
    if (c)
        appendChars(&c, 1);
    return static_cast<D&>(*this);
}

template <class C, class D>
D& BasicText<C, D>::append(const C* s, int n)
{
    const std::size_t l = textimpl::safeLen(s);
    const std::size_t take = (n < 0 || static_cast<std::size_t>(n) >= l) ? l : static_cast<std::size_t>(n);
    appendChars(s, static_cast<unsigned>(take));
    return static_cast<D&>(*this);
}

template <class C, class D>
D& BasicText<C, D>::operator<<(int value)
{
    return *this += D(value);
}

template <class C, class D>
D& BasicText<C, D>::operator<<(int64 value)
{
    return *this += D(value);
}

template <class C, class D>
D& BasicText<C, D>::operator<<(float value)
{
    return *this += D(static_cast<double>(value));
}

template <class C, class D>
D& BasicText<C, D>::operator<<(double value)
{
    return *this += D(value);
}

template <class C, class D>
void BasicText<C, D>::unshare()
{
    if (!inner_ || inner_->getRefCount() == 1)
        return;
    Inner* in = new Inner(inner_->capacity);
    std::memcpy(in->buffer, inner_->buffer, (inner_->length + 1) * sizeof(C));
    in->length = inner_->length;
    inner_.reset(in);
}

template <class C, class D>
void BasicText<C, D>::setAt(int i, C c)
{
    if (!c || i < 0 || static_cast<unsigned>(i) >= length())
        return;
    unshare();
    inner_->buffer[i] = c;
}

template <class C, class D>
void BasicText<C, D>::shrink(unsigned n)
{
    if (n >= length())
        return;
    unshare();
    inner_->length = n;
    inner_->buffer[n] = 0;
}

template <class C, class D>
void BasicText<C, D>::ensureCapacity(unsigned n)
{
    if (inner_ && inner_->capacity >= n)
        return;
    Inner* in = new Inner(growth(n));
    const unsigned len = length();
    if (len)
        std::memcpy(in->buffer, inner_->buffer, len * sizeof(C));
    in->buffer[len] = 0;
    in->length = len;
    inner_.reset(in);
}

// ---- new texts --------------------------------------------------------------

template <class C, class D>
D BasicText<C, D>::operator+(const D& other) const
{
    D r(static_cast<const D&>(*this));
    r += other;
    return r;
}

template <class C, class D>
D BasicText<C, D>::operator+(const C* s) const
{
    D r(static_cast<const D&>(*this));
    r += s;
    return r;
}

template <class C, class D>
D BasicText<C, D>::operator+(C c) const
{
    D r(static_cast<const D&>(*this));
    r += c;
    return r;
}

template <class C, class D>
D BasicText<C, D>::substring(int start) const
{
    if (start < 0)
        start = 0;
    const unsigned len = length();
    if (static_cast<unsigned>(start) >= len)
        return D();
    if (start == 0)
        return static_cast<const D&>(*this);
    return make(inner_->buffer + start, len - start);
}

template <class C, class D>
D BasicText<C, D>::substring(int start, int count) const
{
    if (start < 0)
        start = 0;
    const unsigned len = length();
    if (count <= 0 || static_cast<unsigned>(start) >= len)
        return D();
    const unsigned take = std::min<unsigned>(static_cast<unsigned>(count), len - start);
    return make(inner_->buffer + start, take);
}

template <class C, class D>
D BasicText<C, D>::dropLastChars(int n) const
{
    const unsigned len = length();
    if (n <= 0 || static_cast<unsigned>(n) >= len)
        return D();
    return make(inner_->buffer, len - n);
}

template <class C, class D>
D BasicText<C, D>::trim() const
{
    const unsigned len = length();
    unsigned b = 0, e = len;
    while (b < e && isWhitespace(inner_->buffer[b]))
        ++b;
    while (e > b && isWhitespace(inner_->buffer[e - 1]))
        --e;
    if (b == 0 && e == len)
        return static_cast<const D&>(*this);
    return make(data() + b, e - b);
}

template <class C, class D>
D BasicText<C, D>::ltrim() const
{
    const unsigned len = length();
    unsigned b = 0;
    while (b < len && isWhitespace(inner_->buffer[b]))
        ++b;
    if (b == 0)
        return static_cast<const D&>(*this);
    return make(data() + b, len - b);
}

template <class C, class D>
D BasicText<C, D>::rtrim() const
{
    const unsigned len = length();
    unsigned e = len;
    while (e > 0 && isWhitespace(inner_->buffer[e - 1]))
        --e;
    if (e == len)
        return static_cast<const D&>(*this);
    return make(data(), e);
}

template <class C, class D>
D BasicText<C, D>::toUpperCase() const
{
    D r = make(data(), length());
    BasicText& b = r;
    for (unsigned i = 0; i < b.length(); ++i)
        b.inner_->buffer[i] = CharOps<C>::upper(b.inner_->buffer[i]);
    return r;
}

template <class C, class D>
D BasicText<C, D>::toLowerCase() const
{
    D r = make(data(), length());
    BasicText& b = r;
    for (unsigned i = 0; i < b.length(); ++i)
        b.inner_->buffer[i] = CharOps<C>::lower(b.inner_->buffer[i]);
    return r;
}

template <class C, class D>
D BasicText<C, D>::insert(int pos, const C* s) const
{
    if (textimpl::safeLen(s) == 0)
        return static_cast<const D&>(*this);
    return replace(pos, 0, s, -1);
}

template <class C, class D>
D BasicText<C, D>::insert(int pos, C c) const
{
    const C s[2] = {c, 0};
    return insert(pos, s);
}

template <class C, class D>
D BasicText<C, D>::replace(int start, int count, const C* s, int n) const
{
    const unsigned len = length();
    unsigned st = start < 0 ? 0 : static_cast<unsigned>(start);
    unsigned cnt = count < 0 ? 0 : static_cast<unsigned>(count);
    if (static_cast<unsigned long long>(st) + cnt > len) {
        st = std::min(st, len);
        cnt = len - st;
    }
    const std::size_t sl = textimpl::safeLen(s);
    const unsigned ins = static_cast<unsigned>((n < 0 || static_cast<std::size_t>(n) > sl) ? sl : static_cast<std::size_t>(n));
    const unsigned total = len - cnt + ins;
    if (total < 1)
        return D();
    std::vector<C> buf(total);
    if (st)
        std::memcpy(buf.data(), data(), st * sizeof(C));
    if (ins)
        std::memcpy(buf.data() + st, s, ins * sizeof(C));
    if (len - st - cnt)
        std::memcpy(buf.data() + st + ins, data() + st + cnt, (len - st - cnt) * sizeof(C));
    return make(buf.data(), total);
}

template <class C, class D>
D BasicText<C, D>::replaceAll(C from, C to) const
{
    if (!to || indexOf(from) < 0)
        return static_cast<const D&>(*this);
    D r = make(data(), length());
    BasicText& b = r;
    for (unsigned i = 0; i < b.length(); ++i)
        if (b.inner_->buffer[i] == from)
            b.inner_->buffer[i] = to;
    return r;
}

template <class C, class D>
D BasicText<C, D>::replaceAll(const C* find, const C* replacement, bool ignoreCase) const
{
    const unsigned fl = static_cast<unsigned>(textimpl::safeLen(find));
    const unsigned len = length();
    if (fl == 0 || len == 0)
        return static_cast<const D&>(*this);
    const unsigned rl = static_cast<unsigned>(textimpl::safeLen(replacement));
    // The replacement is never searched again, so scanning the original text
    // after each match is the same as scanning the growing result.
    std::vector<C> out;
    out.reserve(len);
    unsigned pos = 0;
    int hit;
    while ((hit = textimpl::find(data(), len, pos, find, fl, ignoreCase)) >= 0) {
        out.insert(out.end(), data() + pos, data() + hit);
        out.insert(out.end(), replacement, replacement + rl);
        pos = static_cast<unsigned>(hit) + fl;
    }
    if (pos == 0)
        return static_cast<const D&>(*this);
    out.insert(out.end(), data() + pos, data() + len);
    return make(out.data(), static_cast<unsigned>(out.size()));
}

template <class C, class D>
D BasicText<C, D>::filter(const C* set, bool exclude) const
{
    if (isEmpty() || textimpl::safeLen(set) == 0)
        return D();
    std::vector<C> out;
    for (unsigned i = 0; i < length(); ++i)
        if (textimpl::inSet(data()[i], set, false) != exclude)
            out.push_back(data()[i]);
    return make(out.data(), static_cast<unsigned>(out.size()));
}

template <class C, class D>
D BasicText<C, D>::fromFirstOccurrenceOf(const C* s, bool include, bool ignoreCase) const
{
    const int i = indexOf(s, ignoreCase);
    if (i < 0)
        return D();
    return substring(include ? i : i + static_cast<int>(textimpl::safeLen(s)));
}

template <class C, class D>
D BasicText<C, D>::fromLastOccurrenceOf(const C* s, bool include, bool ignoreCase) const
{
    const int i = lastIndexOf(s, ignoreCase);
    if (i < 0)
        return static_cast<const D&>(*this);
    return substring(include ? i : i + static_cast<int>(textimpl::safeLen(s)));
}

template <class C, class D>
D BasicText<C, D>::uptoFirstOccurrenceOf(const C* s, bool include, bool ignoreCase) const
{
    const int i = indexOf(s, ignoreCase);
    if (i < 0)
        return static_cast<const D&>(*this);
    return substring(0, include ? i + static_cast<int>(textimpl::safeLen(s)) : i);
}

template <class C, class D>
D BasicText<C, D>::uptoLastOccurrenceOf(const C* s, bool include, bool ignoreCase) const
{
    const int i = lastIndexOf(s, ignoreCase);
    if (i < 0)
        return static_cast<const D&>(*this);
    return substring(0, include ? i + static_cast<int>(textimpl::safeLen(s)) : i);
}

// ---- comparison and search ---------------------------------------------------

template <class C, class D>
int BasicText<C, D>::compareText(const D& other) const
{
    const BasicText& o = other;
    const unsigned la = length(), lb = o.length();
    if (la == 0 || lb == 0)
        return la == lb ? 0 : (la == 0 ? -1 : 1);
    if (inner_.get() == o.inner_.get())
        return 0;
    const unsigned n = la < lb ? la : lb;
    int r = 0;
    if constexpr (sizeof(C) == 1) {
        r = std::memcmp(inner_->buffer, o.inner_->buffer, n);  // compares as unsigned char
    } else {
        for (unsigned i = 0; i < n && r == 0; ++i) {
            const auto x = textimpl::uc(inner_->buffer[i]), y = textimpl::uc(o.inner_->buffer[i]);
            r = x < y ? -1 : (x > y ? 1 : 0);
        }
    }
    if (r != 0)
        return r < 0 ? -1 : 1;
    return la == lb ? 0 : (la < lb ? -1 : 1);
}

template <class C, class D>
int BasicText<C, D>::compare(const C* s, bool ignoreCase) const
{
    const bool meEmpty = isEmpty();
    const bool otherEmpty = !s || !*s;
    if (meEmpty && otherEmpty)
        return 0;
    if (meEmpty)
        return -1;
    if (otherEmpty)
        return 1;
    const C* a = inner_->buffer;
    if (s == a)
        return 0;
    for (;; ++a, ++s) {
        C ca = *a, cb = *s;
        if (ignoreCase) {
            ca = CharOps<C>::upper(ca);
            cb = CharOps<C>::upper(cb);
        }
        if (ca != cb)
            return textimpl::uc(ca) < textimpl::uc(cb) ? -1 : 1;
        if (!ca)
            return 0;
    }
}

template <class C, class D>
int BasicText<C, D>::compareChar(C c, bool ignoreCase) const
{
    const C s[2] = {c, 0};
    return compare(s, ignoreCase);
}

template <class C, class D>
bool BasicText<C, D>::equals(const C* s, unsigned n, bool ignoreCase) const
{
    if (!s)
        return isEmpty();
    const unsigned m = static_cast<unsigned>(std::min<std::size_t>(n, CharOps<C>::len(s)));
    if (length() != m)
        return false;
    for (unsigned i = 0; i < m; ++i)
        if (!textimpl::sameChar(data()[i], s[i], ignoreCase))
            return false;
    return true;
}

template <class C, class D>
int BasicText<C, D>::indexOf(int start, const C* s, bool ignoreCase) const
{
    if (start < 0)
        start = 0;
    const unsigned len = length();
    const unsigned sl = static_cast<unsigned>(textimpl::safeLen(s));
    if (len == 0 || static_cast<unsigned>(start) >= len || sl == 0)
        return -1;
    return textimpl::find(data(), len, static_cast<unsigned>(start), s, sl, ignoreCase);
}

template <class C, class D>
int BasicText<C, D>::indexOf(int start, C c, bool ignoreCase) const
{
    const C s[2] = {c, 0};
    return indexOf(start, s, ignoreCase);
}

template <class C, class D>
int BasicText<C, D>::lastIndexOf(const C* s, bool ignoreCase) const
{
    const unsigned len = length();
    const unsigned sl = static_cast<unsigned>(textimpl::safeLen(s));
    if (len == 0 || sl == 0 || sl > len)
        return -1;
    for (int i = static_cast<int>(len - sl); i >= 0; --i) {
        unsigned k = 0;
        while (k < sl && textimpl::sameChar(data()[i + k], s[k], ignoreCase))
            ++k;
        if (k == sl)
            return i;
    }
    return -1;
}

template <class C, class D>
int BasicText<C, D>::lastIndexOf(C c, bool ignoreCase) const
{
    const C s[2] = {c, 0};
    return lastIndexOf(s, ignoreCase);
}

template <class C, class D>
int BasicText<C, D>::indexAnyOf(int start, const C* set, bool ignoreCase) const
{
    if (start < 0)
        start = 0;
    const unsigned len = length();
    if (textimpl::safeLen(set) == 0)
        return -1;
    for (unsigned i = static_cast<unsigned>(start); i < len; ++i)
        if (textimpl::inSet(data()[i], set, ignoreCase))
            return static_cast<int>(i);
    return -1;
}

template <class C, class D>
int BasicText<C, D>::lastIndexAnyOf(const C* set, bool ignoreCase) const
{
    if (textimpl::safeLen(set) == 0)
        return -1;
    for (int i = static_cast<int>(length()) - 1; i >= 0; --i)
        if (textimpl::inSet(data()[i], set, ignoreCase))
            return i;
    return -1;
}

template <class C, class D>
bool BasicText<C, D>::startsWith(const C* s, bool ignoreCase) const
{
    const unsigned sl = static_cast<unsigned>(textimpl::safeLen(s));
    const unsigned len = length();
    if (len == 0 || sl == 0 || sl > len)
        return false;
    for (unsigned i = 0; i < sl; ++i)
        if (!textimpl::sameChar(data()[i], s[i], ignoreCase))
            return false;
    return true;
}

template <class C, class D>
bool BasicText<C, D>::startsWith(C c, bool ignoreCase) const
{
    const C s[2] = {c, 0};
    return startsWith(s, ignoreCase);
}

template <class C, class D>
bool BasicText<C, D>::endsWith(const C* s, bool ignoreCase) const
{
    const unsigned sl = static_cast<unsigned>(textimpl::safeLen(s));
    const unsigned len = length();
    if (len == 0 || sl == 0 || sl > len)
        return false;
    const C* tail = data() + (len - sl);
    for (unsigned i = 0; i < sl; ++i)
        if (!textimpl::sameChar(tail[i], s[i], ignoreCase))
            return false;
    return true;
}

template <class C, class D>
bool BasicText<C, D>::endsWith(C c, bool ignoreCase) const
{
    const C s[2] = {c, 0};
    return endsWith(s, ignoreCase);
}

template <class C, class D>
bool BasicText<C, D>::matchesWildcard(const C* pattern, bool ignoreCase) const
{
    const std::size_t pl = textimpl::safeLen(pattern);
    if (isEmpty() || pl == 0)
        return false;
    return textimpl::wildcard(data(), length(), pattern, static_cast<unsigned>(pl), ignoreCase);
}

template <class C, class D>
bool BasicText<C, D>::matchesWildcard(const C* text, const C* pattern)
{
    const std::size_t n = textimpl::safeLen(text);
    const std::size_t m = textimpl::safeLen(pattern);
    if (n == 0)
        return m == 0;
    // Row-by-row table of "pattern[0..j) matches text[0..i)", kept as two rows
    // plus, per pattern column, the first row from which a star makes the
    // whole rest of the column true. No size limit.
    std::vector<char> prev(m + 1, 0), cur(m + 1, 0);
    const std::size_t never = n + 1;
    std::vector<std::size_t> starFrom(m + 1, never);
    auto at = [&](const std::vector<char>& row, std::size_t i, std::size_t j) {
        return row[j] || i >= starFrom[j];
    };
    prev[0] = 1;
    for (std::size_t i = 1; i <= n; ++i) {
        std::fill(cur.begin(), cur.end(), 0);
        bool any = false;
        for (std::size_t j = 1; j <= m; ++j) {
            if (at(prev, i - 1, j - 1)) {
                const C p = pattern[j - 1];
                if (p == C('*'))
                    starFrom[j] = std::min(starFrom[j], i - 1);
                else if (p == C('?') || p == text[i - 1])
                    cur[j] = 1;
            }
            if (at(cur, i, j))
                any = true;
        }
        if (!any)
            return false;
        std::swap(prev, cur);
    }
    for (std::size_t j = 1; j <= m; ++j)
        if (pattern[j - 1] == C('*') && at(prev, n, j - 1))
            prev[j] = 1;
    return at(prev, n, m);
}

template <class C, class D>
unsigned BasicText<C, D>::hashCode() const
{
    unsigned h = 0;
    for (unsigned i = 0; i < length(); ++i)
        h = (h * 16777619u) ^ static_cast<unsigned>(textimpl::uc(data()[i]));
    return h;
}

// ---- conversions ---------------------------------------------------------------

namespace textimpl {

template <class C, class U>
U parseInteger(const C* s, unsigned len, bool* ok)
{
    if (ok)
        *ok = false;
    if (len == 0)
        return 0;
    unsigned i = 0;
    while (i < len && (s[i] == C(' ') || (s[i] >= C(9) && s[i] <= C(13))))
        ++i;
    bool negative = false;
    if (i < len && s[i] == C('-')) {
        negative = true;
        ++i;
    }
    // Unsigned arithmetic: wraps like the declared width without undefined behaviour.
    U value = 0;
    while (i < len && s[i] >= C('0') && s[i] <= C('9')) {
        value = value * 10u + static_cast<U>(s[i] - C('0'));
        ++i;
    }
    if (i < len && s[i] != C('.'))
        return 0;
    if (ok)
        *ok = true;
    return negative ? U(0) - value : value;
}

} // namespace textimpl

template <class C, class D>
int BasicText<C, D>::toIntValue(bool* ok) const
{
    return static_cast<int>(textimpl::parseInteger<C, unsigned>(data(), length(), ok));
}

template <class C, class D>
int64 BasicText<C, D>::toInt64Value(bool* ok) const
{
    return static_cast<int64>(textimpl::parseInteger<C, uint64>(data(), length(), ok));
}

template <class C, class D>
double BasicText<C, D>::toDoubleValue(bool* ok) const
{
    if (ok)
        *ok = false;
    if (isEmpty())
        return 0.0;
    float f = 0.0f;
    // Only a real conversion counts; blank text reports failure, not garbage.
    const int n = CharOps<C>::scanFloat(data(), &f);
    if (n != 1)
        return 0.0;
    if (ok)
        *ok = true;
    return static_cast<double>(f);
}

template <class C, class D>
bool BasicText<C, D>::toBoolValue() const
{
    static const C y[] = {C('y'), 0};
    static const C tr[] = {C('t'), C('r'), C('u'), C('e'), 0};
    static const C one[] = {C('1'), 0};
    return equalsIgnoreCase(y) || equalsIgnoreCase(tr) || static_cast<const D&>(*this) == one;
}

template <class C, class D>
D BasicText<C, D>::toHexString(int value)
{
    C buf[24];
    const int n = CharOps<C>::formatHex(buf, 24, static_cast<unsigned>(value));
    return make(buf, static_cast<unsigned>(n));
}

template <class C, class D>
D BasicText<C, D>::toHexString(int64 value)
{
    C buf[24];
    const int n = CharOps<C>::formatHex(buf, 24, static_cast<uint64>(value));
    return make(buf, static_cast<unsigned>(n));
}

template <class C, class D>
D BasicText<C, D>::toHexString(short value)
{
    C buf[24];
    const int n = CharOps<C>::formatHex(buf, 24, static_cast<unsigned short>(value));
    return make(buf, static_cast<unsigned>(n));
}

template <class C, class D>
D BasicText<C, D>::toHexString(const unsigned char* bytes, int n)
{
    if (!bytes || n <= 0)
        return D();
    static const char digits[] = "0123456789abcdef";
    std::vector<C> out(static_cast<std::size_t>(n) * 2);
    for (int i = 0; i < n; ++i) {
        out[2 * i] = C(digits[bytes[i] >> 4]);
        out[2 * i + 1] = C(digits[bytes[i] & 0x0F]);
    }
    return make(out.data(), static_cast<unsigned>(out.size()));
}

template <class C, class D>
int BasicText<C, D>::copyToBuffer(C* buf, int size) const
{
    if (isEmpty() || !buf || size < 1)
        return 0;
    const unsigned n = std::min<unsigned>(static_cast<unsigned>(size - 1), length());
    std::memcpy(buf, data(), n * sizeof(C));
    buf[n] = 0;
    return static_cast<int>(n);
}

template <class C, class D>
bool BasicText<C, D>::isWhitespace(C c)
{
    return c == C(' ') || (c >= C(9) && c <= C(13));
}

template <class C, class D>
bool BasicText<C, D>::isLetter(C c)
{
    return CharOps<C>::alpha(c);
}

template <class C, class D>
bool BasicText<C, D>::isDigit(C c)
{
    return CharOps<C>::digit(c);
}

template <class C, class D>
C BasicText<C, D>::toUpperCase(C c)
{
    return CharOps<C>::upper(c);
}

template <class C, class D>
C BasicText<C, D>::toLowerCase(C c)
{
    return CharOps<C>::lower(c);
}

} // namespace tessaly::core
