// libFuzzer target over the String operations. Besides crashes and
// sanitizer reports it checks results against std::string references.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tessaly/core/String.h"
#include "tessaly/core/WideString.h"

using tessaly::core::String;
using tessaly::core::WideString;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

std::string str(const String& s)
{
    return s.text() ? std::string(s.text(), s.length()) : std::string();
}

std::string replaceAllRef(const std::string& text, const std::string& find, const std::string& repl)
{
    if (find.empty())
        return text;
    std::string out;
    size_t pos = 0, hit;
    while ((hit = text.find(find, pos)) != std::string::npos) {
        out.append(text, pos, hit - pos);
        out += repl;
        pos = hit + find.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int a = static_cast<int8_t>(data[0]) * 3;
    const int b = static_cast<int8_t>(data[1]) * 3;
    const uint8_t op = data[2];
    // Split the rest into text and pattern at the first NUL.
    const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);
    const size_t cut = rest.find('\0');
    const std::string t = rest.substr(0, cut);
    std::string p = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    p = p.substr(0, p.find('\0'));

    String s(t.c_str());
    check(str(s) == t);
    const String copy = s;

    // Pieces against std::string.
    const String sub = s.substring(a, b);
    if (b <= 0 || (a > 0 && static_cast<size_t>(a) >= t.size()))
        check(sub.isEmpty());
    else
        check(str(sub) == t.substr(a < 0 ? 0 : a, static_cast<size_t>(b)));
    check(str(s.substring(a)) == (static_cast<size_t>(a < 0 ? 0 : a) >= t.size() ? "" : t.substr(a < 0 ? 0 : a)));
    const String dropped = s.dropLastChars(a);
    check(a <= 0 || static_cast<size_t>(a) >= t.size() ? dropped.isEmpty() : str(dropped) == t.substr(0, t.size() - a));

    // Search against std::string.
    const size_t found = p.empty() ? std::string::npos : t.find(p, a < 0 ? 0 : a);
    const int idx = s.indexOf(a, p.c_str());
    if (t.empty() || p.empty() || (a > 0 && static_cast<size_t>(a) >= t.size()))
        check(idx == -1);
    else
        check(idx == (found == std::string::npos ? -1 : static_cast<int>(found)));
    const size_t rfound = p.empty() ? std::string::npos : t.rfind(p);
    check(s.lastIndexOf(p.c_str()) == (rfound == std::string::npos || t.empty() ? -1 : static_cast<int>(rfound)));
    check(str(s.replaceAll(p.c_str(), "<>")) == replaceAllRef(t, p, "<>"));

    // Both wildcard forms agree wherever both answer the same question.
    if (!t.empty() && !p.empty())
        check(s.matchesWildcard(p.c_str()) == String::matchesWildcard(t.c_str(), p.c_str()));

    // Everything else must simply not crash.
    s.replace(a, b, p.c_str(), b / 2);
    s.insert(a, p.c_str());
    s.filter(p.c_str(), op & 1);
    s.fromFirstOccurrenceOf(p.c_str(), op & 1, op & 2);
    s.fromLastOccurrenceOf(p.c_str(), op & 1, op & 2);
    s.uptoFirstOccurrenceOf(p.c_str(), op & 1, op & 2);
    s.uptoLastOccurrenceOf(p.c_str(), op & 1, op & 2);
    s.indexAnyOf(a, p.c_str(), op & 4);
    s.lastIndexAnyOf(p.c_str(), op & 4);
    s.startsWith(p.c_str(), op & 8);
    s.endsWith(p.c_str(), op & 8);
    s.equals(p.c_str(), static_cast<unsigned>(b), op & 16);
    s.compareIgnoreCase(p.c_str());
    s.trim();
    s.toUpperCase();
    bool ok;
    s.toIntValue(&ok);
    s.toInt64Value(&ok);
    s.toDoubleValue(&ok);
    s.toBoolValue();
    s.hashCode();
    char buf[16];
    s.copyToBuffer(buf, a % 17);  // never more than the buffer holds
    String::toHexString(reinterpret_cast<const unsigned char*>(t.data()), static_cast<int>(t.size()));
    String(t.c_str(), a, b);
    String(t.c_str(), a);

    String m = copy;
    m.setAt(a, static_cast<char>(op));
    m.shrink(static_cast<unsigned>(b < 0 ? -b : b));
    m.append(p.c_str(), b);
    m += m;
    m.ensureCapacity(static_cast<unsigned>(op) * 4);
    m = p.c_str();
    check(str(copy) == t);  // copy-on-write: the shared original never changes

    WideString w = WideString::fromUTF8(t.c_str());
    w.toUTF8();
    w.matchesWildcard(WideString::fromUTF8(p.c_str()).text());
    return 0;
}
