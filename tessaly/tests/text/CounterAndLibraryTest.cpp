// PerformanceCounter and SharedLibrary.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/InitializeFailException.h"
#include "tessaly/utils/PerformanceCounter.h"
#include "tessaly/utils/SharedLibrary.h"

using tessaly::core::IllegalArgumentException;
using tessaly::core::InitializeFailException;
using tessaly::utils::PerformanceCounter;
using tessaly::utils::SharedLibrary;

TEST(PerformanceCounterTest, MeasuresAtLeastTheSleep)
{
    PerformanceCounter c;
    EXPECT_EQ(c.elapse(), 0.0);
    c.start();
    EXPECT_EQ(c.elapse(), 0.0); // not stopped yet
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    c.stop();
    EXPECT_GE(c.elapse(), 19.0);
    EXPECT_EQ(c.count() * 1000.0 / static_cast<double>(c.frequency()), c.elapse());
    c.reset();
    EXPECT_EQ(c.count(), 0);
    c.stop(); // without a start nothing is measured
    EXPECT_EQ(c.elapse(), 0.0);
}

TEST(SharedLibraryTest, LoadsLooksUpAndReportsFailures)
{
    {
        SharedLibrary math("libm.so.6");
        using Fn = double (*)(double);
        auto cosine = reinterpret_cast<Fn>(math.procAddress("cos"));
        ASSERT_NE(cosine, nullptr);
        EXPECT_EQ(cosine(0.0), 1.0);
        EXPECT_EQ(math.procAddress("no_such_symbol_here"), nullptr);
        EXPECT_EQ(math.procAddress(nullptr), nullptr);
    }
    try {
        SharedLibrary none(nullptr);
        FAIL();
    } catch (const IllegalArgumentException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Failed to load library.");
    }
    try {
        SharedLibrary missing("/no/such/library.so");
        FAIL();
    } catch (const InitializeFailException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Failed to load library.");
    }
}
