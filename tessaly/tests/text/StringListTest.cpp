// StringList operations.
#include <gtest/gtest.h>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/utils/StringList.h"

using tessaly::core::IllegalArgumentException;
using tessaly::core::String;
using tessaly::utils::StringList;

namespace {

std::vector<std::string> items(const StringList& l)
{
    std::vector<std::string> out;
    for (int i = 0; i < l.size(); ++i)
        out.emplace_back(l[i].text() ? l[i].text() : "");
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(StringListTest, AppendFormsAndTheirCounts)
{
    StringList l;
    l.append(String("a"));
    EXPECT_EQ(l.append("b,,c", ","), 3);
    EXPECT_EQ(l.append("x::y", "::"), 2);
    EXPECT_EQ(l.append("", ","), 0);
    EXPECT_EQ(l.append(nullptr, ","), 0);
    EXPECT_EQ(items(l), (V{"a", "b", "", "c", "x", "y"}));

    StringList m;
    EXPECT_EQ(m.append(l, 1, 2), 2);
    EXPECT_EQ(m.append(l, 4), 2);
    EXPECT_EQ(m.append(l, 9), 0);
    EXPECT_EQ(items(m), (V{"b", "", "x", "y"}));
    EXPECT_EQ(m.append(m), 4); // appending itself is safe
    EXPECT_EQ(m.size(), 8);

    StringList lines;
    EXPECT_EQ(lines.appendLines("one\r\ntwo\nthree\rfour\n"), 4);
    EXPECT_EQ(items(lines), (V{"one", "two", "three", "four"}));
    EXPECT_TRUE(lines.appendIfNotExist(String("five")));
    EXPECT_FALSE(lines.appendIfNotExist(String("FIVE"), true));
    EXPECT_TRUE(lines.appendIfNotExist(String("FIVE"), false));
}

TEST(StringListTest, InsertSetRemove)
{
    StringList l;
    l.append("a b c a B", " ");
    EXPECT_TRUE(l.insert(0, String("first")));
    EXPECT_TRUE(l.insert(l.size(), String("last")));
    EXPECT_FALSE(l.insert(99, String("x")));
    EXPECT_TRUE(l.set(1, String("A")));
    EXPECT_FALSE(l.set(-1, String("x")));
    EXPECT_EQ(items(l), (V{"first", "A", "b", "c", "a", "B", "last"}));

    EXPECT_TRUE(l.remove(0));
    EXPECT_FALSE(l.remove(50));
    EXPECT_TRUE(l.remove(String("a"), true)); // first match only: "A"
    EXPECT_EQ(items(l), (V{"b", "c", "a", "B", "last"}));
    EXPECT_EQ(l.removeAll(String("b"), true), 2);
    EXPECT_FALSE(l.remove(String("zzz")));

    StringList gone;
    gone.append("c,last,none", ",");
    EXPECT_EQ(l.remove(gone), 2);
    EXPECT_EQ(items(l), V{"a"});
}

TEST(StringListTest, CleanUpOperations)
{
    StringList l;
    l.append(" x |y| |x|| Y ", "|");
    EXPECT_EQ(l.removeEmpty(), 1);
    EXPECT_EQ(l.removeEmpty(true), 1);
    EXPECT_EQ(items(l), (V{" x ", "y", "x", " Y "}));
    l.trim();
    EXPECT_EQ(items(l), (V{"x", "y", "x", "Y"}));
    StringList copy = l;
    EXPECT_EQ(l.unqiue(), 1);
    EXPECT_EQ(items(l), (V{"x", "y", "Y"}));
    EXPECT_EQ(l.unqiue(true), 1);
    EXPECT_EQ(items(l), (V{"x", "y"}));
    EXPECT_EQ(copy.unqiue(true), 2);
}

TEST(StringListTest, MoveSortJoinSearch)
{
    StringList l;
    l.append("delta,Alpha,charlie,bravo", ",");
    EXPECT_TRUE(l.move(0, 3));
    EXPECT_EQ(items(l), (V{"Alpha", "charlie", "bravo", "delta"}));
    EXPECT_TRUE(l.move(3, 0));
    EXPECT_FALSE(l.move(0, 4));
    l.sort(false);
    EXPECT_EQ(items(l), (V{"Alpha", "bravo", "charlie", "delta"}));
    l.append(String("ALPHA"));
    l.sort(true);
    EXPECT_EQ(items(l), (V{"Alpha", "ALPHA", "bravo", "charlie", "delta"}));

    EXPECT_EQ(l.join(", "), String("Alpha, ALPHA, bravo, charlie, delta"));
    EXPECT_EQ(l.join("-", 2, 2), String("bravo-charlie"));
    EXPECT_EQ(l.join("-", 3, 99), String("charlie-delta"));
    EXPECT_TRUE(l.join("-", 9, 1).isEmpty());

    EXPECT_EQ(l.indexOf(String("alpha")), -1);
    EXPECT_EQ(l.indexOf(String("alpha"), true), 0);
    EXPECT_EQ(l.indexOf(String("alpha"), true, 1), 1);
    EXPECT_TRUE(l.contains(String("delta")));
    EXPECT_FALSE(l.contains(String("DELTA")));
    EXPECT_TRUE(l.contains(String("DELTA"), true));
}

TEST(StringListTest, EqualityAndIndexing)
{
    StringList a, b;
    EXPECT_TRUE(a.empty());
    a.append("1,2", ",");
    b.append("1,2", ",");
    EXPECT_TRUE(a == b);
    b[1] = String("3");
    EXPECT_TRUE(a != b);
    EXPECT_THROW(a[2], IllegalArgumentException);
    EXPECT_THROW(a[-1], IllegalArgumentException);
    a.clear();
    EXPECT_EQ(a.size(), 0);
}
