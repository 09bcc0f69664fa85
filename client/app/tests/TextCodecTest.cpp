// GBK <-> UTF-8, including what happens to bytes that do not convert.
#include "app/TextCodec.h"

#include <gtest/gtest.h>

#include <atomic>

#include <thread>

namespace {
// "用户" and "实时监测" in GBK.
const std::string kUserGbk = "\xD3\xC3\xBB\xA7";
const std::string kRealtimeGbk = "\xCA\xB5\xCA\xB1\xBC\xE0\xB2\xE2";
const std::string kReplacement = "\xEF\xBF\xBD";
} // namespace

TEST(TextCodec, RoundTripsChineseAndAscii)
{
    EXPECT_EQ(gbkToUtf8(kUserGbk), "用户");
    EXPECT_EQ(gbkToUtf8(kRealtimeGbk), "实时监测");
    EXPECT_EQ(utf8ToGbk("用户"), kUserGbk);
    EXPECT_EQ(utf8ToGbk("实时监测"), kRealtimeGbk);
    EXPECT_EQ(gbkToUtf8("abc 123"), "abc 123");
    EXPECT_EQ(utf8ToGbk("abc 123"), "abc 123");
    EXPECT_EQ(gbkToUtf8(""), "");
    EXPECT_EQ(utf8ToGbk(""), "");
    std::string withZero("a\0b", 3);
    EXPECT_EQ(gbkToUtf8(withZero), withZero);
}

TEST(TextCodec, LongTextGrowsTheOutput)
{
    std::string gbk;
    std::string utf8;
    for (int i = 0; i < 5000; ++i) {
        gbk += kUserGbk;
        utf8 += "用户";
    }
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
    EXPECT_EQ(utf8ToGbk(utf8), gbk);
}

TEST(TextCodec, InvalidGbkBecomesReplacementCharacter)
{
    // A lead byte followed by a byte that cannot trail it: the lead alone
    // is replaced, the digit kept.
    EXPECT_EQ(gbkToUtf8("\xD3" "1" + kUserGbk), kReplacement + "1用户");
    // Lead and trail of the right form but no character there.
    EXPECT_EQ(gbkToUtf8("\xA2\xA0z"), kReplacement + "z");
    // A lead byte cut off at the end.
    EXPECT_EQ(gbkToUtf8(kUserGbk + "\xD3"), "用户" + kReplacement);
    // 0xFF never starts a GBK character.
    EXPECT_EQ(gbkToUtf8("x\xFFy"), "x" + kReplacement + "y");
}

TEST(TextCodec, WhatGbkCannotHoldBecomesQuestionMark)
{
    // An emoji (4 bytes of UTF-8) has no GBK code: one '?' for it.
    EXPECT_EQ(utf8ToGbk("用\xF0\x9F\x98\x80户"), "\xD3\xC3?\xBB\xA7");
    // Malformed UTF-8: one '?' per bad byte, the rest converted.
    EXPECT_EQ(utf8ToGbk("a\xC3(b"), "a?(b");
    EXPECT_EQ(utf8ToGbk("\x80\x80z"), "??z");
    EXPECT_EQ(utf8ToGbk("用\xE6\x88"), "\xD3\xC3??");
}

TEST(TextCodec, SafeFromSeveralThreads)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i)
                if (gbkToUtf8(kRealtimeGbk) != "实时监测" || utf8ToGbk("用户") != kUserGbk)
                    ++wrong;
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
