// createDBConnection / releaseDBConnection against real back-end libraries.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "backends/BackendMarker.h"
#include "tessaly/core/InitializeFailException.h"
#include "tessaly/database/DBConnectionFactory.h"

using namespace tessaly::database;

namespace {

bool isLoaded(const char* path)
{
    void* h = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return false;
    dlclose(h);
    return true;
}

std::string failureText(const char* path, int size)
{
    std::string buffer(static_cast<std::size_t>(size > 0 ? size : 1) + 8, '#');
    EXPECT_EQ(createDBConnection(path, buffer.data(), size), nullptr);
    const std::size_t end = buffer.find('\0');
    // Nothing may be written past the given size.
    for (std::size_t i = static_cast<std::size_t>(size > 0 ? size : 0); i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#') << "byte " << i;
    return end == std::string::npos ? std::string("<unterminated>") : buffer.substr(0, end);
}

} // namespace

TEST(ConnectionFactoryTest, TheThreeErrorTexts)
{
    EXPECT_EQ(failureText(nullptr, 128), "invalid parameter passed");
    EXPECT_EQ(failureText(NOENTRY_BACKEND, 128), "Failed to Get Function 'createConnection'!");
    EXPECT_EQ(failureText(NULL_BACKEND, 128), "Failed to Create 'DBConnection'!");
    // The failed back ends were unloaded again.
    EXPECT_FALSE(isLoaded(NOENTRY_BACKEND));
    EXPECT_FALSE(isLoaded(NULL_BACKEND));
}

TEST(ConnectionFactoryTest, ErrorTextIsTruncatedToTheBuffer)
{
    EXPECT_EQ(failureText(nullptr, 8), "invalid");
    EXPECT_EQ(failureText(NULL_BACKEND, 10), "Failed to");
    EXPECT_EQ(failureText(NULL_BACKEND, 1), "");
    EXPECT_EQ(failureText(nullptr, 25), "invalid parameter passed");
    // No room at all, or no buffer: nothing is written, null still comes back.
    EXPECT_EQ(failureText(nullptr, 0), "<unterminated>");
    EXPECT_EQ(createDBConnection(nullptr, nullptr, 100), nullptr);
    char untouched[4] = "abc";
    EXPECT_EQ(createDBConnection(nullptr, untouched, -5), nullptr);
    EXPECT_STREQ(untouched, "abc");
}

TEST(ConnectionFactoryTest, MissingLibraryThrows)
{
    char error[64] = "";
    try {
        createDBConnection("/no/such/backend.so", error, sizeof error);
        FAIL();
    } catch (const tessaly::core::InitializeFailException& e) {
        EXPECT_STREQ(e.getDescription().text(), "Failed to load library.");
    }
}

TEST(ConnectionFactoryTest, ReleaseHandsBackToTheMakerAndUnloads)
{
    // Our own reference keeps the counting library (and its record) alive.
    void* own = dlopen(COUNTING_BACKEND, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(own, nullptr);
    auto markerOf = reinterpret_cast<const BackendMarker* (*)()>(dlsym(own, "backendMarker"));
    ASSERT_NE(markerOf, nullptr);
    const BackendMarker* marker = markerOf();

    char error[128] = "untouched";
    DBConnection* a = createDBConnection(COUNTING_BACKEND, error, sizeof error);
    DBConnection* b = createDBConnection(COUNTING_BACKEND, error, sizeof error);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(error, "untouched"); // success leaves the buffer alone
    EXPECT_EQ(marker->made, 2);
    releaseDBConnection(a);
    EXPECT_EQ(marker->released, 1);
    EXPECT_EQ(marker->lastReleased, a);
    releaseDBConnection(a); // no longer registered: ignored
    releaseDBConnection(nullptr);
    int unknown = 0;
    releaseDBConnection(reinterpret_cast<DBConnection*>(&unknown));
    EXPECT_EQ(marker->released, 1);
    releaseDBConnection(b);
    EXPECT_EQ(marker->released, 2);
    EXPECT_EQ(marker->lastReleased, b);
    dlclose(own);
    EXPECT_FALSE(isLoaded(COUNTING_BACKEND));
}

TEST(ConnectionFactoryTest, EachConnectionHoldsItsBackEndLoaded)
{
    DBConnection* a = createDBConnection(SQLITE_BACKEND, nullptr, 0);
    DBConnection* b = createDBConnection(SQLITE_BACKEND, nullptr, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(isLoaded(SQLITE_BACKEND));
    releaseDBConnection(a);
    EXPECT_TRUE(isLoaded(SQLITE_BACKEND)); // b still needs it
    releaseDBConnection(b);
    EXPECT_FALSE(isLoaded(SQLITE_BACKEND));
}

TEST(ConnectionFactoryTest, BackEndWithoutReleaseIsStillUnloaded)
{
    DBConnection* c = createDBConnection(NORELEASE_BACKEND, nullptr, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(isLoaded(NORELEASE_BACKEND));
    releaseDBConnection(c);
    EXPECT_FALSE(isLoaded(NORELEASE_BACKEND));
}
