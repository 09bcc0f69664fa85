// Attribute conversions, reading into trees, and tree ownership (run
// under AddressSanitizer to catch leaks and double frees).
#include "quorvel_test/TempDir.h"

#include "xandril/CAttribute.h"
#include "xandril/CSEM2XML.h"

#include <gtest/gtest.h>

using namespace xandril;

namespace {

CElement* parse(CSEM2XML& xml, const std::string& text)
{
    return xml.ParseData(reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<int>(text.size()));
}

CElement* named(const char* name, bool composite = false)
{
    CElement* element = composite ? CCombineElement::createCombineElement() : CElement::createElement();
    element->setName(name);
    return element;
}

std::vector<std::string> childNames(const CCombineElement* composite)
{
    std::vector<std::string> names;
    for (const CElement* child : composite->getChildren())
        names.emplace_back(child->getName());
    return names;
}

} // namespace

TEST(AttributeConversions, ParsedValuesFillEverySlot)
{
    CSEM2XML xml;
    CElement* e = parse(xml, "<e hex=\"0x1F\" neg=\"-0x10\" yes=\"yes\" no=\"false\" real=\"3.5\""
                             " minus=\"-1\" T=\"True\" empty=\"\" lead=\"  42\""
                             " big=\"4294967296\" huge=\"-9999999999\" twice=\"--5\" hexneg=\"-0xFF\"/>");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->getAttribute("hex")->getInt(), 31);
    EXPECT_EQ(e->getAttribute("hex")->getUint(), 31u);
    EXPECT_EQ(e->getAttribute("neg")->getInt(), -16);
    EXPECT_TRUE(e->getAttribute("yes")->getBool());
    EXPECT_FALSE(e->getAttribute("no")->getBool());
    EXPECT_EQ(e->getAttribute("no")->getInt(), 0);
    EXPECT_EQ(e->getAttribute("real")->getInt(), 3);
    EXPECT_DOUBLE_EQ(e->getAttribute("real")->getDouble(), 3.5);
    EXPECT_FLOAT_EQ(e->getAttribute("real")->getFloat(), 3.5f);
    EXPECT_STREQ(e->getAttribute("real")->getString(), "3.5");
    EXPECT_EQ(e->getAttribute("minus")->getUint(), 4294967295u);
    EXPECT_TRUE(e->getAttribute("T")->getBool());
    EXPECT_FALSE(e->getAttribute("empty")->getBool());
    EXPECT_EQ(e->getAttribute("empty")->getInt(), 0);
    EXPECT_STREQ(e->getAttribute("empty")->getString(), "");
    EXPECT_EQ(e->getAttribute("lead")->getInt(), 42);
    // Out of range: clamped as 32-bit strtol/strtoul do.
    EXPECT_EQ(e->getAttribute("big")->getInt(), 2147483647);
    EXPECT_EQ(e->getAttribute("big")->getUint(), 4294967295u);
    EXPECT_EQ(e->getAttribute("huge")->getInt(), -2147483647 - 1);
    EXPECT_EQ(e->getAttribute("twice")->getInt(), 0);
    EXPECT_EQ(e->getAttribute("hexneg")->getInt(), -255);
    EXPECT_EQ(e->getAttribute("hexneg")->getUint(), 4294967041u);
    // Parsing never sets the attribute's own name.
    EXPECT_STREQ(e->getAttribute("hex")->getName(), "");
    CSEM2XML::destroyElement(e);
}

TEST(AttributeConversions, SettersUpdateOwnSlotAndText)
{
    CAttribute* a = CAttribute::createAttribute();
    EXPECT_STREQ(a->getString(), "");
    EXPECT_EQ(a->getInt(), 0);
    a->setValue("42");
    EXPECT_STREQ(a->getString(), "42");
    EXPECT_EQ(a->getInt(), 0) << "text alone does not touch the int slot";
    a->setValue(true);
    EXPECT_STREQ(a->getString(), "true");
    EXPECT_TRUE(a->getBool());
    a->setValue(false);
    EXPECT_STREQ(a->getString(), "false");
    a->setValue(2.5);
    EXPECT_STREQ(a->getString(), "2.500000");
    EXPECT_DOUBLE_EQ(a->getDouble(), 2.5);
    a->setValue(0.1f);
    EXPECT_STREQ(a->getString(), "0.100000");
    a->setValue(-7);
    EXPECT_STREQ(a->getString(), "-7");
    EXPECT_EQ(a->getInt(), -7);
    EXPECT_DOUBLE_EQ(a->getDouble(), 2.5) << "slots are independent";
    a->setValue(4294967295u);
    EXPECT_STREQ(a->getString(), "-1");
    EXPECT_EQ(a->getUint(), 4294967295u);
    EXPECT_EQ(a->getInt(), -7);
    a->setValue(1e300);
    EXPECT_EQ(std::string(a->getString()).size(), 308u); // 301 digits, point, six decimals
    a->setName("own");
    EXPECT_STREQ(a->getName(), "own");
    a->release();
}

TEST(AttributeConversions, UnsignedRoundTripThroughText)
{
    CSEM2XML xml;
    CElement* e = named("e");
    CAttribute* a = CAttribute::createAttribute();
    a->setValue(4294967295u);
    e->addAttribute("u", a);
    unsigned char* buffer = nullptr;
    int length = xml.WriteBuffer(&buffer, e);
    CElement* back = xml.ParseData(buffer, length);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getAttribute("u")->getUint(), 4294967295u);
    xml.releaseBuffer(buffer);
    CSEM2XML::destroyElement(back);
    CSEM2XML::destroyElement(e);
}

TEST(ElementModel, AttributesByExactName)
{
    CElement* e = named("e");
    CAttribute* a1 = CAttribute::createAttribute();
    CAttribute* a2 = CAttribute::createAttribute();
    e->addAttribute("x", a1);
    e->addAttribute("x", a2);
    EXPECT_EQ(e->getAttribute("x"), a1);
    EXPECT_EQ(e->getAttribute("X"), nullptr);
    EXPECT_EQ(e->getAttribute("y"), nullptr);
    EXPECT_EQ(e->getAttributes().size(), 1u);
    a2->release(); // not taken over: still ours
    e->release();  // frees a1
}

TEST(ElementModel, ChildrenLookupRemoveReplace)
{
    auto* root = static_cast<CCombineElement*>(named("r", true));
    CElement* b = named("b");
    auto* c = static_cast<CCombineElement*>(named("c", true));
    c->addElement(named("deep"));
    root->addElement(b);
    root->addElement(c);
    root->addElement(named("b"));

    EXPECT_EQ(root->getElement("b"), b) << "the first of that name";
    EXPECT_EQ(root->getElement("B"), nullptr);
    root->removeElement("nothing");
    CElement* stranger = named("c");
    root->removeElement(stranger);
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"b", "c", "b"}));

    CElement* never = named("never");
    root->replaceElement(stranger, never); // not a child: unchanged, "never" stays ours
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"b", "c", "b"}));
    never->release();

    CElement* n = named("n");
    root->replaceElement(c, n); // c and its subtree are freed
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"b", "n", "b"}));
    root->removeElement("b");
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"n", "b"}));
    root->removeElement(n);
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"b"}));

    CSEM2XML::destroyElement(stranger);
    CSEM2XML::destroyElement(root);
    CSEM2XML::destroyElement(nullptr);
}

TEST(ElementModel, ReplacementThatIsNotAChildStaysTheCallers)
{
    auto* root = static_cast<CCombineElement*>(named("r", true));
    CElement* spare = named("spare");
    CElement* ghost = named("ghost");
    root->replaceElement(ghost, spare);
    EXPECT_TRUE(root->getChildren().empty());
    root->replaceElement(nullptr, spare);
    EXPECT_TRUE(root->getChildren().empty());
    spare->release();
    ghost->release();
    CSEM2XML::destroyElement(root);
}

TEST(XmlReading, ShapesOfTheTree)
{
    CSEM2XML xml;
    CElement* plain = parse(xml, "<a/>");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(dynamic_cast<CCombineElement*>(plain), nullptr);
    EXPECT_STREQ(plain->getName(), "a");
    CSEM2XML::destroyElement(plain);

    CElement* nested = parse(xml, "<a><b/></a>");
    auto* composite = dynamic_cast<CCombineElement*>(nested);
    ASSERT_NE(composite, nullptr);
    ASSERT_EQ(composite->getChildren().size(), 1u);
    EXPECT_EQ(dynamic_cast<CCombineElement*>(composite->getChildren().front()), nullptr);
    EXPECT_STREQ(composite->getChildren().front()->getName(), "b");
    CSEM2XML::destroyElement(nested);

    // Text becomes an unnamed leaf; whitespace-only text, comments and
    // processing instructions give nothing.
    CElement* mixed = parse(xml, "<a>\n  <!-- c --><?pi x?>hello<![CDATA[raw]]><b k=\"1\" k=\"2\"/></a>");
    composite = dynamic_cast<CCombineElement*>(mixed);
    ASSERT_NE(composite, nullptr);
    EXPECT_EQ(childNames(composite), (std::vector<std::string>{"", "", "b"}));
    EXPECT_TRUE(composite->getChildren().front()->getAttributes().empty());
    // Of a name given twice in one start tag the first counts.
    EXPECT_EQ(composite->getElement("b")->getAttribute("k")->getInt(), 1);
    CSEM2XML::destroyElement(mixed);
}

TEST(XmlReading, FailuresGiveNull)
{
    TempDir dir;
    CSEM2XML xml;
    EXPECT_EQ(xml.ParseFile(dir.file("missing.xml").c_str()), nullptr);
    writeBytes(dir.file("empty.xml"), "");
    EXPECT_EQ(xml.ParseFile(dir.file("empty.xml").c_str()), nullptr);
    writeBytes(dir.file("decl.xml"), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
    EXPECT_EQ(xml.ParseFile(dir.file("decl.xml").c_str()), nullptr);
    writeBytes(dir.file("bad.xml"), "<a><b></a>");
    EXPECT_EQ(xml.ParseFile(dir.file("bad.xml").c_str()), nullptr);
    EXPECT_EQ(xml.ParseFile(nullptr), nullptr);
    EXPECT_EQ(parse(xml, ""), nullptr);
    EXPECT_EQ(parse(xml, "<!-- only a comment -->"), nullptr);
}

TEST(XmlReading, OfSeveralTopElementsTheFirstIsTheRoot)
{
    CSEM2XML xml;
    CElement* root = parse(xml, "<a></a><b/>");
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->getName(), "a");
    CSEM2XML::destroyElement(root);
}

TEST(XmlReading, FileWithBomRoundTrips)
{
    TempDir dir;
    CSEM2XML xml;
    writeBytes(dir.file("in.xml"), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                   "<WorkParam>\n\t<DB ip=\"1.2.3.4\" port=\"3306\" />\n</WorkParam>\n");
    CElement* root = xml.ParseFile(dir.file("in.xml").c_str());
    auto* composite = dynamic_cast<CCombineElement*>(root);
    ASSERT_NE(composite, nullptr);
    CElement* db = composite->getElement("DB");
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->getAttribute("port")->getInt(), 3306);
    ASSERT_TRUE(xml.WriteFile(root, dir.file("out.xml").c_str()));
    EXPECT_EQ(readBytes(dir.file("out.xml")), readBytes(dir.file("in.xml")));
    CSEM2XML::destroyElement(root);
}

TEST(XmlReading, ParseDataDoesNotChangeOrKeepTheBytes)
{
    CSEM2XML xml;
    std::string text = "<a v=\"&amp;1\"/>";
    std::string copy = text;
    CElement* e = parse(xml, text);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(text, copy);
    text.assign(text.size(), 'X');
    EXPECT_STREQ(e->getAttribute("v")->getString(), "&1");
    CSEM2XML::destroyElement(e);
}
