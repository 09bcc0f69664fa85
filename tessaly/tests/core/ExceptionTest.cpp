#include <gtest/gtest.h>

#include "tessaly/concurrent/CancellationException.h"
#include "tessaly/concurrent/TimeoutException.h"
#include "tessaly/core/ConvertFailException.h"
#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/core/InitializeFailException.h"
#include "tessaly/io/FileIOException.h"

using namespace tessaly;

TEST(ExceptionTest, ReportHasTheFixedFormat)
{
    core::IllegalArgumentException e("Arguement out of range.", "src/core/Date.cpp", 120);
    const core::String r = e.printException();
    EXPECT_STREQ(r.text(),
                 "\nException: \tIllegalArgumentException. \n"
                 "Description: \tArguement out of range.\n"
                 "Filename:    \tsrc/core/Date.cpp\n"
                 "Line Number: \t120\n");
}

TEST(ExceptionTest, EveryClassNamesItselfAndSurvivesCopy)
{
    auto firstLine = [](const core::Exception& e) {
        core::String r = e.printException();
        return core::String(r.text(), 1, r.indexOf(1, ". \n") + 2);
    };
    EXPECT_STREQ(firstLine(core::InitializeFailException("d", "f", 1)).text(), "Exception: \tInitializeFailException. \n");
    EXPECT_STREQ(firstLine(core::ConvertFailException("d", "f", 1)).text(), "Exception: \tConvertFailException. \n");
    EXPECT_STREQ(firstLine(io::FileIOException("d", "f", 1)).text(), "Exception: \tFileIOException. \n");
    EXPECT_STREQ(firstLine(concurrent::CancellationException("d", "f", 1)).text(), "Exception: \tCancellationException. \n");
    EXPECT_STREQ(firstLine(concurrent::TimeoutException("d", "f", 1)).text(), "Exception: \tTimeoutException. \n");

    try {
        throw concurrent::TimeoutException("late", __FILE__, __LINE__);
    } catch (const core::Exception& base) {
        // Caught through the base: the report still names the thrown class.
        EXPECT_TRUE(base.printException().contains("TimeoutException"));
        EXPECT_TRUE(base.getFilename().endsWith("ExceptionTest.cpp"));
        EXPECT_GT(base.getLine(), 0);
        core::IllegalArgumentException copy(core::IllegalArgumentException("x", "y", 7));
        EXPECT_EQ(copy.getLine(), 7);
    }
}
