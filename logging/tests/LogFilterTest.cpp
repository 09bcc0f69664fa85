// The filter file's comment, section and assignment rules, and what a
// filter record is built from.
#include "LogFilter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using pellorn::FilterTable;
using pellorn::LogFilterEntry;

namespace {

FilterTable parse(const std::vector<std::string>& lines)
{
    FilterTable table;
    pellorn::parseFilterLines(lines, table);
    return table;
}

std::string key(const std::string& section, const std::string& name)
{
    return section + "___#@#___" + name;
}

} // namespace

TEST(FilterFileRules, InlineCommentMarkersInFixedOrder)
{
    FilterTable t = parse({"a = b ;c #d\n", "e=f#g\n", "h = i\t;j #k\n", "l = m\t#n ;o\n", "p=  q r  \r\n"});
    EXPECT_EQ(t.at(key("", "a")), "b ;c") << "\" #\" is tried before \" ;\"";
    EXPECT_EQ(t.at(key("", "e")), "f#g") << "a marker needs its blank";
    EXPECT_EQ(t.at(key("", "h")), "i\t;j") << "\" #\" found first although \"\\t;\" stands earlier";
    EXPECT_EQ(t.at(key("", "l")), "m\t#n") << "\" ;\" before \"\\t#\"";
    EXPECT_EQ(t.at(key("", "p")), "q r");
    EXPECT_EQ(t.size(), 5u);
}

TEST(FilterFileRules, CommentLines)
{
    FilterTable t = parse({"   # x = 1\n", "; y=2\n", "z=3 # fine\n", "w;=4\n", "#[s]\n", "v = 5\n",
                           "u#=6\n", "[t]#\n", "k = 7\n"});
    EXPECT_EQ(t.count(key("", "x")), 0u);
    EXPECT_EQ(t.count(key("", "y")), 0u);
    EXPECT_EQ(t.at(key("", "z")), "3");
    EXPECT_EQ(t.count(key("", "w;")), 0u) << "comment character before '='";
    EXPECT_EQ(t.count(key("", "u#")), 0u);
    EXPECT_EQ(t.at(key("", "v")), "5") << "#[s] opened no section";
    EXPECT_EQ(t.at(key("t", "k")), "7") << "a comment after the header does not hide it";
}

TEST(FilterFileRules, SectionsAndAssignments)
{
    FilterTable t = parse({"[x] y=1\n", "top=0\n", "[]\n", "a=1\n", "[ spaced ]\n", "b=2\n",
                           "[s]\n", "c=first\n", "c=second\n", "=novalue\n", "  =x\n", "empty=\n",
                           "blank =   \t\n", "noequals\n", "][\n", "d=4\n"});
    EXPECT_EQ(t.count(key("x", "y")), 0u) << "a header line stores nothing else";
    EXPECT_EQ(t.at(key("x", "top")), "0");
    EXPECT_EQ(t.at(key("x", "a")), "1") << "[] keeps the current section";
    EXPECT_EQ(t.at(key(" spaced ", "b")), "2");
    EXPECT_EQ(t.at(key("s", "c")), "second");
    EXPECT_EQ(t.count(key("s", "empty")), 0u);
    EXPECT_EQ(t.count(key("s", "blank")), 0u);
    EXPECT_EQ(t.at(key("s", "d")), "4") << "\"][\" names no section";
    EXPECT_EQ(t.size(), 5u);
}

TEST(FilterFileRules, LongLinesArriveInPieces)
{
    auto path = std::filesystem::temp_directory_path() / ("pellorn-filter-" + std::to_string(::getpid()));
    {
        std::ofstream out(path);
        out << "a=" << std::string(1021, 'v') << "b=2\n[s]\nc = 3\n";
    }
    FilterTable t;
    ASSERT_TRUE(pellorn::readFilterFile(path.string().c_str(), t));
    std::filesystem::remove(path);
    EXPECT_EQ(t.at(key("", "a")), std::string(1021, 'v'));
    EXPECT_EQ(t.at(key("", "b")), "2") << "the rest of a 1024+ character line is a line of its own";
    EXPECT_EQ(t.at(key("s", "c")), "3");

    FilterTable none;
    EXPECT_FALSE(pellorn::readFilterFile(path.string().c_str(), none));
}

TEST(FilterRecord, BuiltFromItsSection)
{
    FilterTable t = parse({"[on]\n", "EnabledFilter = TRUE\n", "IsIncludeFilter=True\n",
                           "FilterFiles = b.so , a.so,,  c \n",
                           "[commas]\n", "EnabledFilter=TRUE\n", "FilterFiles= , ,\t, \n",
                           "[nofiles]\n", "EnabledFilter=true\n",
                           "[off]\n", "EnabledFilter=yes\n", "FilterFiles=a.so\n",
                           "[exclude]\n", "EnabledFilter=true\n", "IsIncludeFilter=no\n", "FilterFiles=a.so\n"});
    LogFilterEntry on("on", &t);
    EXPECT_TRUE(on.enabled());
    EXPECT_TRUE(on.include());
    EXPECT_EQ(on.files(), (std::set<std::string>{"a.so", "b.so", "c"}));
    EXPECT_EQ(on.loggerName(), "on");

    EXPECT_FALSE(LogFilterEntry("commas", &t).enabled());
    EXPECT_FALSE(LogFilterEntry("nofiles", &t).enabled());
    EXPECT_FALSE(LogFilterEntry("off", &t).enabled()) << "only \"true\" in any case enables";
    EXPECT_FALSE(LogFilterEntry("missing", &t).enabled());
    EXPECT_FALSE(LogFilterEntry("on", nullptr).enabled());

    LogFilterEntry exclude("exclude", &t);
    EXPECT_TRUE(exclude.enabled());
    EXPECT_FALSE(exclude.include());
}

TEST(FilterRecord, WhatItLetsThrough)
{
    FilterTable t = parse({"[inc]\n", "EnabledFilter=true\n", "IsIncludeFilter=true\n", "FilterFiles=a.so\n",
                           "[exc]\n", "EnabledFilter=true\n", "IsIncludeFilter=false\n", "FilterFiles=a.so\n",
                           "[off]\n", "EnabledFilter=false\n", "IsIncludeFilter=true\n", "FilterFiles=a.so\n"});
    LogFilterEntry inc("inc", &t);
    EXPECT_TRUE(inc.allows("a.so"));
    EXPECT_FALSE(inc.allows("b.so"));
    EXPECT_FALSE(inc.allows("A.so")) << "names compare exactly";
    LogFilterEntry exc("exc", &t);
    EXPECT_FALSE(exc.allows("a.so"));
    EXPECT_TRUE(exc.allows("b.so"));
    LogFilterEntry off("off", &t);
    EXPECT_TRUE(off.allows("a.so"));
    EXPECT_TRUE(off.allows("b.so"));
}
