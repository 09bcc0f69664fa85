// The file writer replaces the target in one step: a failed write leaves
// the old file whole, and the new file's permissions are chosen, not
// inherited by accident.
#include "quorvel_test/FileSizeLimit.h"
#include "quorvel_test/TempDir.h"

#include "xandril/CAttribute.h"
#include "xandril/CSEM2XML.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace xandril;

namespace {

CElement* makeTree(const char* value)
{
    CElement* root = CElement::createElement();
    root->setName("cfg");
    CAttribute* attribute = CAttribute::createAttribute();
    attribute->setValue(value);
    root->addAttribute("v", attribute);
    return root;
}

std::string expectedBytes(const char* value)
{
    return std::string("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<cfg v=\"") + value
           + "\" />\n";
}



} // namespace

TEST(XmlFileReplace, ReplacesExistingFileAndLeavesNoTemporary)
{
    TempDir dir;
    std::string path = dir.file("cfg.xml");
    writeBytes(path, "old contents that are much longer than the new ones will be");
    CSEM2XML xml;
    CElement* tree = makeTree("new");
    ASSERT_TRUE(xml.WriteFile(tree, path.c_str()));
    EXPECT_EQ(readBytes(path), expectedBytes("new"));
    EXPECT_EQ(entriesIn(dir), 1u);
    CSEM2XML::destroyElement(tree);
}

TEST(XmlFileReplace, FailedWriteKeepsOldFileWhole)
{
    TempDir dir;
    std::string path = dir.file("cfg.xml");
    CSEM2XML xml;
    CElement* tree = makeTree("first");
    ASSERT_TRUE(xml.WriteFile(tree, path.c_str()));
    CSEM2XML::destroyElement(tree);

    tree = makeTree(std::string(4000, 'x').c_str());
    {
        FileSizeLimit limit(100); // the new file cannot be written whole
        EXPECT_FALSE(xml.WriteFile(tree, path.c_str()));
    }
    EXPECT_EQ(readBytes(path), expectedBytes("first"));
    EXPECT_EQ(entriesIn(dir), 1u) << "the unfinished temporary file must be removed";
    CSEM2XML::destroyElement(tree);
}

TEST(XmlFileReplace, UnwritablePlacesReportFailure)
{
    TempDir dir;
    CSEM2XML xml;
    CElement* tree = makeTree("x");
    EXPECT_FALSE(xml.WriteFile(tree, dir.file("missing-folder/cfg.xml").c_str()));
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_FALSE(xml.WriteFile(tree, dir.file("folder").c_str())) << "a folder is not replaced";
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
    EXPECT_EQ(entriesIn(dir), 1u);
    CSEM2XML::destroyElement(tree);
}

TEST(XmlFileReplace, LeftoverTemporaryFromACrashDoesNotDisturb)
{
    TempDir dir;
    std::string path = dir.file("cfg.xml");
    CSEM2XML xml;
    CElement* tree = makeTree("a");
    ASSERT_TRUE(xml.WriteFile(tree, path.c_str()));
    writeBytes(path + ".tmp-1-0", "<cfg v=\"half");
    CElement* read = xml.ParseFile(path.c_str());
    ASSERT_NE(read, nullptr);
    EXPECT_STREQ(read->getAttribute("v")->getString(), "a");
    CSEM2XML::destroyElement(read);
    ASSERT_TRUE(xml.WriteFile(tree, path.c_str()));
    EXPECT_EQ(readBytes(path), expectedBytes("a"));
    CSEM2XML::destroyElement(tree);
}

TEST(XmlFileReplace, PermissionsExplicitOrKept)
{
    TempDir dir;
    std::string path = dir.file("secret.xml");
    writeBytes(path, "old");
    ::chmod(path.c_str(), 0644);
    CSEM2XML xml;
    CElement* tree = makeTree("pw");
    ASSERT_TRUE(xml.WriteFile(tree, path.c_str(), 0600));
    EXPECT_EQ(modeOf(path), 0600u);

    std::string other = dir.file("plain.xml");
    writeBytes(other, "old");
    ::chmod(other.c_str(), 0640);
    ASSERT_TRUE(xml.WriteFile(tree, other.c_str()));
    EXPECT_EQ(modeOf(other), 0640u) << "a replaced file keeps its mode";
    CSEM2XML::destroyElement(tree);
}

TEST(XmlFileReplace, LinkedFileIsReplacedBehindTheLink)
{
    TempDir dir;
    std::string real = dir.file("real.xml");
    std::string link = dir.file("link.xml");
    writeBytes(real, "old");
    std::filesystem::create_symlink(real, link);
    CSEM2XML xml;
    CElement* tree = makeTree("l");
    ASSERT_TRUE(xml.WriteFile(tree, link.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(real), expectedBytes("l"));
    CSEM2XML::destroyElement(tree);
}
