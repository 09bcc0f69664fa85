// Exact bytes of both writers.
#include "quorvel_test/TempDir.h"

#include "xandril/CAttribute.h"
#include "xandril/CSEM2XML.h"
#include "xandril/XmlWriters.h"

#include <gtest/gtest.h>

using namespace xandril;

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

CAttribute* textAttribute(const char* text)
{
    CAttribute* attribute = CAttribute::createAttribute();
    attribute->setValue(text);
    return attribute;
}

std::string writeToBuffer(CSEM2XML& xml, CElement* root)
{
    unsigned char* buffer = nullptr;
    int length = xml.WriteBuffer(&buffer, root);
    std::string bytes(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    xml.releaseBuffer(buffer);
    return bytes;
}

CElement* parse(CSEM2XML& xml, const std::string& text)
{
    return xml.ParseData(reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<int>(text.size()));
}

} // namespace

TEST(XmlWriterBytes, DeclarationConstants)
{
    EXPECT_EQ(std::string(CSEM2XML::m_declare), kDeclaration + "\r\n");
    EXPECT_EQ(CSEM2XML::m_declareLength, 40);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CSEM2XML::m_bom), 3), kBom);
}

TEST(XmlWriterBytes, ParsedElementToFileSortsAttributes)
{
    TempDir dir;
    CSEM2XML xml;
    CElement* root = parse(xml, "<a z=\"1\" b=\"2\"/>");
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(xml.WriteFile(root, dir.file("a.xml").c_str()));
    EXPECT_EQ(readBytes(dir.file("a.xml")), kBom + kDeclaration + "\r\n<a b=\"2\" z=\"1\" />\n");
    CSEM2XML::destroyElement(root);
}

TEST(XmlWriterBytes, ParsedElementToBufferHasNoBomNoLineEnds)
{
    CSEM2XML xml;
    CElement* root = parse(xml, "<a z=\"1\" b=\"2\"/>");
    ASSERT_NE(root, nullptr);
    unsigned char* buffer = nullptr;
    int length = xml.WriteBuffer(&buffer, root);
    ASSERT_EQ(length, 55);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), 55),
              kDeclaration + "<a b=\"2\" z=\"1\" />");
    xml.releaseBuffer(buffer);
    CSEM2XML::destroyElement(root);
}

TEST(XmlWriterBytes, BuiltTreeIndentsWithTabsAndSortsUppercaseFirst)
{
    TempDir dir;
    CSEM2XML xml;
    CCombineElement* root = CCombineElement::createCombineElement();
    root->setName("WorkParam");
    CCombineElement* db = CCombineElement::createCombineElement();
    db->setName("DB");
    db->addAttribute("ip", textAttribute("10.0.0.1"));
    db->addAttribute("DBName", textAttribute("quor"));
    CElement* leaf = CElement::createElement();
    leaf->setName("leaf");
    db->addElement(leaf);
    root->addElement(db);
    CElement* mqtt = CElement::createElement();
    mqtt->setName("mqtt");
    root->addElement(mqtt);

    ASSERT_TRUE(xml.WriteFile(root, dir.file("w.xml").c_str()));
    EXPECT_EQ(readBytes(dir.file("w.xml")),
              kBom + kDeclaration + "\r\n<WorkParam>\n\t<DB DBName=\"quor\" ip=\"10.0.0.1\">\n"
                                    "\t\t<leaf />\n\t</DB>\n\t<mqtt />\n</WorkParam>\n");
    EXPECT_EQ(writeToBuffer(xml, root),
              kDeclaration + "<WorkParam><DB DBName=\"quor\" ip=\"10.0.0.1\"><leaf /></DB>"
                             "<mqtt /></WorkParam>");
    CSEM2XML::destroyElement(root);
}

TEST(XmlWriterBytes, SpecialCharactersAreEscapedAndSlashesInValuesKept)
{
    CSEM2XML xml;
    CElement* root = CElement::createElement();
    root->setName("p");
    root->addAttribute("path", textAttribute("a/>b & \"c\" <d>"));
    root->addAttribute("tip", textAttribute("实时监测"));
    EXPECT_EQ(writeToBuffer(xml, root),
              kDeclaration + "<p path=\"a/>b &amp; &quot;c&quot; &lt;d>\" tip=\"实时监测\" />");
    CSEM2XML::destroyElement(root);
}

TEST(XmlWriterBytes, RewritingAParsedTreeDependsOnlyOnTheModel)
{
    TempDir dir;
    CSEM2XML xml;
    CElement* root = parse(xml, "<?xml version=\"1.0\"?><!-- c --><r  b='1'   a=\"2\">\n  <x q=\"0\">text</x>\n"
                                "<![CDATA[raw]]><y/></r>");
    ASSERT_NE(root, nullptr);
    auto* composite = dynamic_cast<CCombineElement*>(root);
    ASSERT_NE(composite, nullptr);
    // The text and CDATA children have no tag: they are not written back.
    EXPECT_EQ(writeToBuffer(xml, root),
              kDeclaration + "<r a=\"2\" b=\"1\"><x q=\"0\" /><y /></r>");
    // After a write every element is bound to the writer's document.
    EXPECT_TRUE(root->isBound());
    for (CElement* child : composite->getChildren())
        EXPECT_TRUE(child->isBound());
    CSEM2XML::destroyElement(root);
}

TEST(XmlWriterBytes, UnnamedOrMissingRootIsNotWritten)
{
    TempDir dir;
    CSEM2XML xml;
    unsigned char* buffer = reinterpret_cast<unsigned char*>(&xml); // must stay untouched
    EXPECT_EQ(xml.WriteBuffer(&buffer, nullptr), 0);
    EXPECT_FALSE(xml.WriteFile(nullptr, dir.file("n.xml").c_str()));
    CElement* unnamed = CElement::createElement();
    EXPECT_EQ(xml.WriteBuffer(&buffer, unnamed), 0);
    EXPECT_EQ(buffer, reinterpret_cast<unsigned char*>(&xml));
    EXPECT_FALSE(xml.WriteFile(unnamed, dir.file("n.xml").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.file("n.xml")));
    CSEM2XML::destroyElement(unnamed);
}

TEST(XmlWriterBytes, WritingATreeWhoseDocumentWasResetRebuildsIt)
{
    CSEM2XML xml;
    CElement* first = parse(xml, "<a><b c=\"1\"/></a>");
    ASSERT_NE(first, nullptr);
    // Reading again resets the document the first tree was bound to.
    CElement* second = parse(xml, "<z/>");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(writeToBuffer(xml, first), kDeclaration + "<a><b c=\"1\" /></a>");
    // And a tree read by another reader writes the same bytes here.
    CSEM2XML other;
    EXPECT_EQ(writeToBuffer(other, first), kDeclaration + "<a><b c=\"1\" /></a>");
    CSEM2XML::destroyElement(first);
    CSEM2XML::destroyElement(second);
}

TEST(BufferWriter, GrowsInWholeKibibytes)
{
    unsigned char* buffer = nullptr;
    {
        CBufferWriter writer(&buffer);
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(writer.length(), 38u);
        EXPECT_EQ(writer.capacity(), 1024u);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 38), kDeclaration);

        std::string chunk(986, 'x'); // fills exactly to 1024
        writer.write(chunk.data(), chunk.size());
        EXPECT_EQ(writer.capacity(), 1024u);
        unsigned char* before = buffer;
        writer.write("y", 1); // (1024 + 1 + 1024) / 1024 * 1024
        EXPECT_EQ(writer.capacity(), 2048u);
        EXPECT_NE(buffer, before);
        std::string big(3000, 'z'); // (1025 + 3000 + 1024) rounded down
        writer.write(big.data(), big.size());
        EXPECT_EQ(writer.capacity(), 5120u - 1024u);
        EXPECT_EQ(writer.length(), 4025u);
        std::string all(reinterpret_cast<char*>(buffer), writer.length());
        EXPECT_EQ(all, kDeclaration + chunk + "y" + big);
    }
    delete[] buffer;
}

TEST(BufferWriter, LongDocumentComesOutWhole)
{
    CSEM2XML xml;
    CCombineElement* root = CCombineElement::createCombineElement();
    root->setName("r");
    std::string expected = kDeclaration + "<r>";
    for (int i = 0; i < 500; ++i) {
        CElement* item = CElement::createElement();
        item->setName("item");
        CAttribute* index = CAttribute::createAttribute();
        index->setValue(i);
        item->addAttribute("index", index);
        root->addElement(item);
        expected += "<item index=\"" + std::to_string(i) + "\" />";
    }
    expected += "</r>";
    EXPECT_EQ(writeToBuffer(xml, root), expected);
    CSEM2XML::destroyElement(root);
}
