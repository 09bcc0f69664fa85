#include "tessaly/utils/StringList.h"

#include <algorithm>
#include <cstring>

#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::utils {

using core::String;

namespace {

bool same(const String& a, const String& b, bool ignoreCase)
{
    return ignoreCase ? a.equalsIgnoreCase(b) : a == b;
}

} // namespace

void StringList::append(const String& s)
{
    items_.push_back(s);
}

bool StringList::validRange(const StringList& other, int& start, int& count) const
{
    const int n = other.size();
    if (start < 0 || start > n)
        return false;
    if (count < 0 || count > n - start)
        count = n - start;
    return true;
}

int StringList::append(const StringList& other, int start, int count)
{
    if (!validRange(other, start, count))
        return 0;
    // Copy first: other may be this list.
    const std::vector<String> range(other.items_.begin() + start, other.items_.begin() + start + count);
    items_.insert(items_.end(), range.begin(), range.end());
    return count;
}

int StringList::append(const char* text, const char* separator)
{
    if (!text || !*text)
        return 0;
    if (!separator || !*separator) {
        items_.push_back(String(text));
        return 1;
    }
    const std::size_t sepLen = std::strlen(separator);
    int n = 0;
    const char* p = text;
    for (;;) {
        const char* hit = std::strstr(p, separator);
        if (!hit) {
            items_.push_back(String(p));
            return n + 1;
        }
        items_.push_back(String(p, static_cast<int>(hit - p)));
        ++n;
        p = hit + sepLen;
    }
}

int StringList::appendLines(const char* text)
{
    if (!text || !*text)
        return 0;
    int n = 0;
    const char* p = text;
    while (*p) {
        const char* end = p;
        while (*end && *end != '\r' && *end != '\n')
            ++end;
        items_.push_back(String(p, static_cast<int>(end - p)));
        ++n;
        if (*end == '\r' && end[1] == '\n')
            ++end;
        p = *end ? end + 1 : end;
    }
    return n;
}

bool StringList::appendIfNotExist(const String& s, bool ignoreCase)
{
    if (contains(s, ignoreCase))
        return false;
    items_.push_back(s);
    return true;
}

bool StringList::insert(int index, const String& s)
{
    if (index < 0 || index > size())
        return false;
    items_.insert(items_.begin() + index, s);
    return true;
}

bool StringList::set(int index, const String& s)
{
    if (index < 0 || index >= size())
        return false;
    items_[static_cast<std::size_t>(index)] = s;
    return true;
}

bool StringList::remove(int index)
{
    if (index < 0 || index >= size())
        return false;
    items_.erase(items_.begin() + index);
    return true;
}

bool StringList::remove(const String& s, bool ignoreCase)
{
    const int i = indexOf(s, ignoreCase);
    return i >= 0 && remove(i);
}

int StringList::remove(const StringList& other, int start, int count)
{
    if (!validRange(other, start, count))
        return 0;
    const std::vector<String> range(other.items_.begin() + start, other.items_.begin() + start + count);
    int removed = 0;
    for (const String& s : range)
        removed += removeAll(s, false);
    return removed;
}

int StringList::removeAll(const String& s, bool ignoreCase)
{
    const std::size_t before = items_.size();
    std::erase_if(items_, [&](const String& item) { return same(item, s, ignoreCase); });
    return static_cast<int>(before - items_.size());
}

int StringList::removeEmpty(bool blankToo)
{
    const std::size_t before = items_.size();
    std::erase_if(items_, [&](const String& item) { return item.isEmpty() || (blankToo && item.trim().isEmpty()); });
    return static_cast<int>(before - items_.size());
}

int StringList::unqiue(bool ignoreCase)
{
    std::vector<String> kept;
    for (const String& item : items_) {
        const bool seen = std::any_of(kept.begin(), kept.end(), [&](const String& k) { return same(k, item, ignoreCase); });
        if (!seen)
            kept.push_back(item);
    }
    const int removed = size() - static_cast<int>(kept.size());
    items_.swap(kept);
    return removed;
}

bool StringList::move(int from, int to)
{
    if (from < 0 || from >= size() || to < 0 || to >= size())
        return false;
    const String item = items_[static_cast<std::size_t>(from)];
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, item);
    return true;
}

void StringList::trim()
{
    for (String& item : items_)
        item = item.trim();
}

void StringList::sort(bool ignoreCase)
{
    std::stable_sort(items_.begin(), items_.end(), [ignoreCase](const String& a, const String& b) {
        return ignoreCase ? a.compareIgnoreCase(b) < 0 : a < b;
    });
}

String StringList::join(const char* separator, int start, int count) const
{
    if (!validRange(*this, start, count))
        return String();
    String out;
    for (int i = start; i < start + count; ++i) {
        if (i > start && separator)
            out += separator;
        out += items_[static_cast<std::size_t>(i)];
    }
    return out;
}

int StringList::indexOf(const String& s, bool ignoreCase, int start) const
{
    for (int i = start < 0 ? 0 : start; i < size(); ++i) {
        if (same(items_[static_cast<std::size_t>(i)], s, ignoreCase))
            return i;
    }
    return -1;
}

String& StringList::operator[](int index)
{
    if (index < 0 || index >= size())
        throw core::IllegalArgumentException("Index out of range.", __FILE__, __LINE__);
    return items_[static_cast<std::size_t>(index)];
}

const String& StringList::operator[](int index) const
{
    if (index < 0 || index >= size())
        throw core::IllegalArgumentException("Index out of range.", __FILE__, __LINE__);
    return items_[static_cast<std::size_t>(index)];
}

} // namespace tessaly::utils
