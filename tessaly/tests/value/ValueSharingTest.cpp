// Value records: sharing, copy-on-write and custom payload ownership.
#include <gtest/gtest.h>

#include <cmath>

#include "tessaly/core/Value.h"

using namespace tessaly::core;

namespace {

int copies = 0;
int frees = 0;
int otherFrees = 0;

struct Payload {
    int n;
};

void* copyPayload(void* p)
{
    ++copies;
    return new Payload(*static_cast<Payload*>(p));
}

void freePayload(void* p)
{
    ++frees;
    delete static_cast<Payload*>(p);
}

void freeOther(void* p)
{
    ++otherFrees;
    delete static_cast<Payload*>(p);
}

class CustomValueTest : public ::testing::Test {
protected:
    void SetUp() override { copies = frees = otherFrees = 0; }
};

} // namespace

TEST(ValueTest, KindsAndCodes)
{
    EXPECT_EQ(Value().type(), 0);
    EXPECT_TRUE(Value().isNull());
    EXPECT_EQ(Value(true).type(), 1);
    EXPECT_EQ(Value('c').type(), 2);
    EXPECT_EQ(Value(-3).type(), 3);
    EXPECT_EQ(Value(3u).type(), 4);
    EXPECT_EQ(Value(int64(-3)).type(), 5);
    EXPECT_EQ(Value(uint64(3)).type(), 6);
    EXPECT_EQ(Value(2.5).type(), 7);
    EXPECT_EQ(Value(String("s")).type(), 8);
    EXPECT_EQ(Value(WideString(L"w")).type(), 9);
    EXPECT_EQ(Value(Date(2020, 0, 0, 0, 0, 0, 0)).type(), 10);
    EXPECT_EQ(Value("literal").type(), 8); // never a bool
    EXPECT_EQ(Value(L"wide").type(), 9);
    EXPECT_EQ(Value("abcdef", 3).toString(), String("abc"));
    EXPECT_EQ(Value(L"abcdef", 2).toWideString(), WideString(L"ab"));
}

TEST(ValueTest, CopiesShareAndChangesReplaceTheRecord)
{
    Value a(String("shared"));
    Value b = a;
    EXPECT_EQ(a.shareCount(), 2);
    b.setValue(42);
    EXPECT_EQ(a.shareCount(), 1);
    EXPECT_EQ(b.shareCount(), 1);
    EXPECT_EQ(a.toString(), String("shared"));
    EXPECT_EQ(b.toInt(), 42);

    // Unshared: changed in place, still one record.
    b.setValue(String("again"));
    EXPECT_EQ(b.type(), ValueTypeString);
    Value c;
    c = b;
    c = c;
    EXPECT_EQ(c.shareCount(), 2);
    c.clear();
    EXPECT_TRUE(c.isNull());
    EXPECT_EQ(b.toString(), String("again"));
    EXPECT_EQ(b.shareCount(), 1);
}

TEST(ValueTest, SettingFromItsOwnTextIsSafe)
{
    Value v(String("self"));
    v.setValue(v.toString());
    EXPECT_EQ(v.toString(), String("self"));
}

TEST(ValueTest, Equality)
{
    EXPECT_EQ(Value(5), Value(5));
    EXPECT_NE(Value(5), Value(int64(5))); // kinds must agree
    EXPECT_NE(Value(5), Value(6));
    EXPECT_EQ(Value(String("x")), Value("x"));
    EXPECT_NE(Value(String("x")), Value(WideString(L"x")));
    EXPECT_EQ(Value(Date(2001, 1, 2, 3, 4, 5, 6)), Value(Date(2001, 1, 2, 3, 4, 5, 6)));
    EXPECT_EQ(Value(), Value());
    EXPECT_EQ(Value(0.5), Value(0.5));
    const Value nan(std::nan(""));
    EXPECT_NE(nan, nan);
}

TEST_F(CustomValueTest, WithoutCopyFunctionTheValueIsNull)
{
    Payload p{1};
    Value v(&p, nullptr, freePayload);
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(v.customData(), nullptr);
    EXPECT_EQ(frees, 0);
}

TEST_F(CustomValueTest, SharingNeverCopiesAndTheLastHolderFrees)
{
    auto* p = new Payload{7};
    {
        Value a(p, copyPayload, freePayload);
        EXPECT_EQ(a.type(), ValueTypeCustom);
        EXPECT_EQ(a.customData(), p);
        Value b = a;
        Value c;
        c = b;
        EXPECT_EQ(a, c);
        EXPECT_EQ(copies, 0);
        EXPECT_EQ(frees, 0);
        b.setValue(1); // b leaves; the record stays with a and c
        EXPECT_EQ(frees, 0);
        c.clear();
        EXPECT_EQ(frees, 0);
    }
    EXPECT_EQ(copies, 0);
    EXPECT_EQ(frees, 1);
}

TEST_F(CustomValueTest, ReplacingAnUnsharedPayloadFreesIt)
{
    Value v(new Payload{1}, copyPayload, freePayload);
    v.setValue(new Payload{2}, copyPayload, freePayload);
    EXPECT_EQ(frees, 1);
    EXPECT_EQ(static_cast<Payload*>(v.customData())->n, 2);
    v.setValue(String("text"));
    EXPECT_EQ(frees, 2);
    EXPECT_EQ(v.customData(), nullptr);
}

TEST_F(CustomValueTest, ClearCustomDataUsesTheGivenFunction)
{
    Value a(new Payload{3}, copyPayload, freePayload);
    Value b = a;
    // Shared: b gets its own copy and frees that with the given function.
    b.clearCustomData(freeOther);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(otherFrees, 1);
    EXPECT_EQ(frees, 0);
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(static_cast<Payload*>(a.customData())->n, 3);
    a.clearCustomData(nullptr); // no function: nothing happens
    EXPECT_FALSE(a.isNull());
    a.clearCustomData(freeOther);
    EXPECT_EQ(otherFrees, 2);
    EXPECT_EQ(frees, 0);
    Value plain(5);
    plain.clearCustomData(freeOther); // not custom: unchanged
    EXPECT_EQ(plain.toInt(), 5);
}

TEST_F(CustomValueTest, ConvertingCustomFails)
{
    Value v(new Payload{4}, copyPayload, freePayload);
    bool ok = true;
    EXPECT_EQ(v.toInt(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(v.convertTo(ValueTypeString));
    EXPECT_EQ(v.type(), ValueTypeCustom);
    EXPECT_FALSE(Value(5).convertTo(ValueTypeCustom));
}
