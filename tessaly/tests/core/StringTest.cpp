#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tessaly/core/String.h"

using tessaly::core::String;

TEST(StringTest, EmptyFormsAreAllTheSame)
{
    const String a, b(static_cast<const char*>(nullptr)), c(""), d("abc", 0), e("abc", -4), f('\0');
    for (const String* s : {&a, &b, &c, &d, &e, &f}) {
        EXPECT_EQ(s->length(), 0u);
        EXPECT_EQ(s->capacity(), 0u);
        EXPECT_EQ(s->text(), nullptr);
        EXPECT_TRUE(*s == a);
        EXPECT_TRUE(*s == "");
        EXPECT_TRUE(s->isEmpty());
    }
    EXPECT_EQ(String::preallocate(0).capacity(), 0u);
    String g("x");
    g.emptyData();
    EXPECT_EQ(g.text(), nullptr);
}

TEST(StringTest, ConstructorsClampAndFormat)
{
    EXPECT_STREQ(String("hello", 3).text(), "hel");
    EXPECT_STREQ(String("hello", 99).text(), "hello");
    EXPECT_STREQ(String("abcdefg", 2, 3).text(), "cde");
    EXPECT_STREQ(String("abcdefg", -5, 2).text(), "ab");
    EXPECT_STREQ(String("abcdefg", 5, 100).text(), "fg");
    EXPECT_TRUE(String("abcdefg", 50, 2).isEmpty());
    EXPECT_TRUE(String("abcdefg", 1, -2).isEmpty());
    EXPECT_STREQ(String(-42).text(), "-42");
    EXPECT_STREQ(String(static_cast<tessaly::core::int64>(-9000000000LL)).text(), "-9000000000");
    EXPECT_STREQ(String(3.14159).text(), "3.14");
    EXPECT_STREQ(String('z').text(), "z");
    EXPECT_EQ(String("a").capacity(), 3u);
    EXPECT_EQ(String("0123456789").capacity(), 18u);
    EXPECT_EQ(String::preallocate(100).capacity(), 153u);
    EXPECT_EQ(String::preallocate(100).length(), 0u);
}

TEST(StringTest, AppendOneCharAtATimeGrowsByTheRule)
{
    String s;
    std::vector<unsigned> caps;
    for (int i = 0; i < 60; ++i) {
        s += 'x';
        if (caps.empty() || caps.back() != s.capacity())
            caps.push_back(s.capacity());
    }
    EXPECT_EQ(caps, (std::vector<unsigned>{3, 9, 18, 30, 48, 75}));
    EXPECT_EQ(s.length(), 60u);
}

TEST(StringTest, CopyOnWriteIsolatesCopies)
{
    String a("abcdef");
    String b = a;
    EXPECT_EQ(a.text(), b.text()) << "copies share one buffer";
    b.setAt(0, 'X');
    EXPECT_STREQ(a.text(), "abcdef");
    EXPECT_STREQ(b.text(), "Xbcdef");
    const char* before = b.text();
    b.setAt(1, 'Y');
    EXPECT_EQ(b.text(), before) << "an unshared buffer is written in place";
    b.setAt(-1, 'Q');
    b.setAt(6, 'Q');
    b.setAt(2, '\0');
    EXPECT_STREQ(b.text(), "XYcdef");

    String c = a;
    c.shrink(2);
    EXPECT_STREQ(c.text(), "ab");
    EXPECT_STREQ(a.text(), "abcdef");
    EXPECT_EQ(c.capacity(), a.capacity());
    c.shrink(10);
    EXPECT_STREQ(c.text(), "ab");

    String d = a;
    d += "gh";
    EXPECT_STREQ(a.text(), "abcdef");
    EXPECT_STREQ(d.text(), "abcdefgh");
    EXPECT_EQ(d.capacity(), a.capacity()) << "the first append to a shared buffer copies without slack";
    String big = a;
    big += "0123456789";
    EXPECT_EQ(big.capacity(), 16u) << "shared and too small: exactly the new length";
}

TEST(StringTest, AssignmentRules)
{
    String s("hello");
    const char* buf = s.text();
    s = "world";
    EXPECT_EQ(s.text(), buf) << "fits, unshared: copied in place";
    String shared = s;
    s = "abc";
    EXPECT_STREQ(shared.text(), "world");
    EXPECT_STREQ(s.text(), "abc");
    EXPECT_EQ(s.capacity(), shared.capacity()) << "shared: new buffer of the old capacity";
    s = "a much longer text than before";
    EXPECT_EQ(s.capacity(), ((30u + 2) / 2) * 3);
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.isEmpty());
    s = 'q';
    EXPECT_STREQ(s.text(), "q");
    s = s.text();  // its own buffer
    EXPECT_STREQ(s.text(), "q");
    String t("abcdef");
    t = t.text() + 2;  // overlapping tail of its own buffer
    EXPECT_STREQ(t.text(), "cdef");
}

TEST(StringTest, AppendFormsAndSelfAppend)
{
    String e;
    String other("abc");
    e += other;
    EXPECT_EQ(e.text(), other.text()) << "appending to an empty String shares";
    String s("ab");
    s += s;
    EXPECT_STREQ(s.text(), "abab");
    s += s.text();
    EXPECT_STREQ(s.text(), "abababab");
    s.append("xyz", 2).append(nullptr).append("", 3).append("12", -1).append("34", 7);
    EXPECT_STREQ(s.text(), "ababababxy1234");
    String c;
    c << "n=" << 5 << ' ' << static_cast<tessaly::core::int64>(7) << ' ' << 1.5 << ' ' << 2.25f << String("!");
    EXPECT_STREQ(c.text(), "n=5 7 1.50 2.25!");
    EXPECT_STREQ((String("a") + "b" + 'c' + String("d")).text(), "abcd");
    EXPECT_STREQ(("x" + String("y")).text(), "xy");
    EXPECT_STREQ(('x' + String("y")).text(), "xy");
}

TEST(StringTest, EnsureCapacityAndAttach)
{
    String s("abc");
    s.ensureCapacity(2);
    EXPECT_EQ(s.capacity(), 6u);
    s.ensureCapacity(10);
    EXPECT_EQ(s.capacity(), 18u);
    EXPECT_STREQ(s.text(), "abc");
    String e;
    e.ensureCapacity(4);
    EXPECT_EQ(e.capacity(), 9u);
    EXPECT_EQ(e.length(), 0u);

    char* buf = new char[16];
    std::strcpy(buf, "attached");
    String a = String::attach(buf, 16, 3);
    EXPECT_STREQ(a.text(), "att");
    EXPECT_EQ(a.text(), buf);
    EXPECT_EQ(a.capacity(), 15u);
    char* buf2 = new char[4];
    std::strcpy(buf2, "abc");
    String b = String::attach(buf2, 2, -1);
    EXPECT_STREQ(b.text(), "abc");
    EXPECT_EQ(b.capacity(), 3u);
    EXPECT_TRUE(String::attach(nullptr, 5, 2).isEmpty());
    EXPECT_TRUE(String::attach(new char[1]{0}, 1, 0).isEmpty());
}

TEST(StringTest, IndexAccess)
{
    const String s("abc");
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s[2], 'c');
    EXPECT_EQ(s[3], 0);
    EXPECT_EQ(s[-1], 0);
    EXPECT_EQ(s.getLastChar(), 'c');
    EXPECT_EQ(String().getLastChar(), 0);
    EXPECT_EQ(String()[0], 0);
}
