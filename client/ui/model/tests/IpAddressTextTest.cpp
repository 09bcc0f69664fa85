// Address, port and integer text of the parameter dialogs' fields.
#include <gtest/gtest.h>

#include "ui/model/IpAddressText.h"

using namespace quorvel::ui;

TEST(IpAddressTextTest, ParsesDottedTextFieldByFieldModulo256) {
    EXPECT_EQ(parseIpFields("10.1.2.3"), (IpFields{10, 1, 2, 3}));
    EXPECT_EQ(parseIpFields("192.168.0.1"), (IpFields{192, 168, 0, 1}));
    EXPECT_EQ(parseIpFields("256.257.-1.1000"), (IpFields{0, 1, 255, 232}));
    EXPECT_EQ(parseIpFields("10.1"), (IpFields{10, 1, 0, 0})) << "missing numbers count as 0";
    EXPECT_EQ(parseIpFields(""), (IpFields{0, 0, 0, 0}));
    EXPECT_EQ(parseIpFields("db.plant.local"), (IpFields{0, 0, 0, 0}));
    EXPECT_EQ(parseIpFields("10.x.3.4"), (IpFields{10, 0, 0, 0})) << "reading stops at the first mismatch";
    EXPECT_EQ(parseIpFields("99999999999999999999.1.1.1")[1], 1) << "a long digit run is no crash";
}

TEST(IpAddressTextTest, FormatsWithoutLeadingZerosAndRecognisesDottedIpv4) {
    EXPECT_EQ(formatIpFields({10, 1, 2, 3}), "10.1.2.3");
    EXPECT_EQ(formatIpFields({0, 0, 0, 0}), "0.0.0.0");
    EXPECT_EQ(formatIpFields(parseIpFields("010.001.000.255")), "10.1.0.255");
    EXPECT_TRUE(isDottedIpv4("127.0.0.1"));
    EXPECT_TRUE(isDottedIpv4("255.255.255.255"));
    EXPECT_FALSE(isDottedIpv4("256.1.1.1"));
    EXPECT_FALSE(isDottedIpv4("1.2.3"));
    EXPECT_FALSE(isDottedIpv4("1.2.3.4.5"));
    EXPECT_FALSE(isDottedIpv4("1.2.3.4 "));
    EXPECT_FALSE(isDottedIpv4("localhost"));
    EXPECT_FALSE(isDottedIpv4("1..3.4"));
    EXPECT_FALSE(isDottedIpv4("1234.1.1.1"));
}

TEST(IpAddressTextTest, IntegerFieldsAcceptBlanksAndSignsButNothingElse) {
    EXPECT_EQ(parseIntegerText("3306"), 3306);
    EXPECT_EQ(parseIntegerText("  6002 "), 6002);
    EXPECT_EQ(parseIntegerText("-5"), -5);
    EXPECT_FALSE(parseIntegerText(""));
    EXPECT_FALSE(parseIntegerText("   "));
    EXPECT_FALSE(parseIntegerText("33o6"));
    EXPECT_FALSE(parseIntegerText("3306 x"));
    EXPECT_FALSE(parseIntegerText("0x10"));
    EXPECT_TRUE(isValidPort(1));
    EXPECT_TRUE(isValidPort(65535));
    EXPECT_FALSE(isValidPort(0));
    EXPECT_FALSE(isValidPort(65536));
    EXPECT_FALSE(isValidPort(-1));
}
