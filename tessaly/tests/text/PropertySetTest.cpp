// PropertySet values and the configuration file reader.
#include <gtest/gtest.h>

#include <fstream>

#include "../io/MemoryStreams.h"
#include "tessaly/io/File.h"
#include "tessaly/text/ConfigFileParser.h"
#include "tessaly/text/PropertySet.h"

using tessaly::core::String;
using tessaly::io::File;
using tessaly::io::test::MemoryInputStream;
using tessaly::text::ConfigFileParser;
using tessaly::text::PropertySet;

namespace {

std::string get(const PropertySet& set, const char* key)
{
    String v;
    if (!set.getValue(String(key), v))
        return "<absent>";
    return v.text() ? v.text() : "";
}

} // namespace

TEST(PropertySetTest, TypedValuesAreStoredAsText)
{
    PropertySet set;
    set.setValue(String("n"), 42);
    set.setValue(String("pi"), 3.14159);
    set.setValue(String("yes"), true);
    set.setValue(String("no"), false);
    set.setValue(String("s"), String("text"));
    EXPECT_EQ(get(set, "n"), "42");
    EXPECT_EQ(get(set, "pi"), "3.14");
    EXPECT_EQ(get(set, "yes"), "Y");
    EXPECT_EQ(get(set, "no"), "N");
    EXPECT_EQ(set.size(), 5);

    int n = 0;
    double d = 0;
    bool b = false;
    EXPECT_TRUE(set.getValue(String("n"), n));
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(set.getValue(String("pi"), d));
    EXPECT_DOUBLE_EQ(d, 3.14);
    EXPECT_TRUE(set.getValue(String("yes"), b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(set.getValue(String("no"), b));
    EXPECT_FALSE(b);
    // Not a number: false, and the target keeps its value.
    n = 7;
    EXPECT_FALSE(set.getValue(String("s"), n));
    EXPECT_EQ(n, 7);
    EXPECT_FALSE(set.getValue(String("s"), d));
    EXPECT_FALSE(set.getValue(String("missing"), n));
    EXPECT_FALSE(set.hasKey(String("N")));
    set.clear();
    EXPECT_EQ(set.size(), 0);
}

TEST(PropertySetTest, IgnoreCaseUpperCasesKeys)
{
    PropertySet set(true);
    set.setValue(String("Host"), String("a"));
    set.setValue(String("HOST"), String("b"));
    EXPECT_EQ(set.size(), 1);
    EXPECT_EQ(get(set, "host"), "b");
    EXPECT_TRUE(set.hasKey(String("hOsT")));
}

TEST(ConfigFileParserTest, CommentsTrimmingAndSplitting)
{
    MemoryInputStream in("# full comment\r\n"
                         "  host = example.org   # trailing comment\r\n"
                         "\r\n"
                         "port=8080\n"
                         "   #indented comment = ignored\n"
                         "url = http://x/a=b\n"
                         "no equals sign here\n"
                         " = empty key\n"
                         "empty =\n"
                         "  spaced key  =   spaced value  \n"
                         "last=line without break");
    PropertySet set;
    EXPECT_EQ(ConfigFileParser::parse(in, String("#"), set), 6);
    EXPECT_EQ(get(set, "host"), "example.org");
    EXPECT_EQ(get(set, "port"), "8080");
    EXPECT_EQ(get(set, "url"), "http://x/a=b");
    EXPECT_EQ(get(set, "empty"), "");
    EXPECT_EQ(get(set, "spaced key"), "spaced value");
    EXPECT_EQ(get(set, "last"), "line without break");
    EXPECT_EQ(get(set, "#indented comment"), "<absent>");
    EXPECT_EQ(set.size(), 6);
}

TEST(ConfigFileParserTest, MultiCharacterPrefixAndNoPrefix)
{
    MemoryInputStream in("// note\na = 1 // one\nb = x#y\n");
    PropertySet set;
    ConfigFileParser::parse(in, String("//"), set);
    EXPECT_EQ(get(set, "a"), "1");
    EXPECT_EQ(get(set, "b"), "x#y");
    EXPECT_EQ(get(set, "// note"), "<absent>");

    MemoryInputStream raw("k = v # not a comment\n");
    PropertySet plain;
    ConfigFileParser::parse(raw, String(), plain);
    EXPECT_EQ(get(plain, "k"), "v # not a comment");
}

TEST(ConfigFileParserTest, ReadsFilesAndReportsMissingOnes)
{
    char tmpl[] = "/tmp/tessaly_cfg_XXXXXX";
    const int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(tmpl) << "; ini style\nname = value ; note\n";
    PropertySet set;
    EXPECT_EQ(ConfigFileParser::parse(File(String(tmpl)), String(";"), set), 1);
    EXPECT_EQ(get(set, "name"), "value");
    unlink(tmpl);
    EXPECT_EQ(ConfigFileParser::parse(File(String("/no/such/config.conf")), String(";"), set), -1);
}
