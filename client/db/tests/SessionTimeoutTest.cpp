// Bounded waits on the database, against the real server behind the
// fault-injection relay: a server that stops answering without closing its
// connections, a pool whose sessions are all lent out, and an exit that
// interrupts a query stuck on such a server.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "LogCapture.h"
#include "TcpForwarder.h"
#include "TestDatabase.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMRealDataCommunication.h"
#include "db/PooledSession.h"
#include "db/SessionTimeouts.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

std::string relayed(const TestDatabase& db, const TcpForwarder& relay, const SessionTimeouts& timeouts)
{
    return withSessionTimeouts(
        buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(relay.port()), db.name(),
                              TestDatabase::requireEnv("QUORVEL_DB_USER"),
                              TestDatabase::requireEnv("QUORVEL_DB_PASSWORD")),
        timeouts);
}

TcpForwarder relayToServer()
{
    return TcpForwarder(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                        std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
}

}  // namespace

// Opening against a server that accepts and never answers fails within the
// connect time-out; once the relay passes again the same call succeeds.
TEST(SessionTimeout, OpeningAgainstABlackHoleFailsWithinTheConnectTimeout)
{
    TestDatabase db({.seed = true});
    TcpForwarder relay = relayToServer();
    relay.blackHole();
    relay.start();
    const std::string connection = relayed(db, relay, {.connectSeconds = 2, .readSeconds = 30, .writeSeconds = 30});
    const auto t0 = Clock::now();
    EXPECT_FALSE(openDatabase(connection));
    const double took = secondsSince(t0);
    RecordProperty("blackholed_open_s", std::to_string(took));
    EXPECT_LT(took, 2 + 1.5) << "connect time-out 2 s";

    relay.pass();
    EXPECT_TRUE(openDatabase(connection));
    EXPECT_NE(EMRealDataCommunication::getByDeviceId("7"), nullptr);
    closeDatabase();
}

// Both sessions lent out: the next borrower gives up after the pool wait
// with a message that says why, and the lookup reports no record.
TEST(SessionTimeout, BorrowingFromAnExhaustedPoolFailsAfterTheWait)
{
    TestDatabase db({.seed = true});
    ASSERT_TRUE(db.openPool());
    const auto savedWait = poolBorrowWait();
    setPoolBorrowWait(700ms);
    {
        PooledSession a, b;
        const auto t0 = Clock::now();
        try {
            PooledSession c;
            ADD_FAILURE() << "a third session was lent";
        } catch (const soci::soci_error& e) {
            EXPECT_NE(std::string(e.what()).find("no free database session"), std::string::npos) << e.what();
        }
        const double took = secondsSince(t0);
        EXPECT_GE(took, 0.6);
        EXPECT_LT(took, 3.0);

        LogCapture log;
        EXPECT_EQ(EMRealDataCommunication::getByDeviceId("7"), nullptr);
        ASSERT_EQ(log.errors().size(), 1u);
        EXPECT_NE(log.errors()[0].find("no free database session"), std::string::npos) << log.errors()[0];
    }
    setPoolBorrowWait(savedWait);
    EXPECT_NE(EMRealDataCommunication::getByDeviceId("7"), nullptr) << "sessions given back";
    db.closePool();
}

// A history query that hangs on a server gone silent ends within moments of
// interruptDatabaseWork (what exit does), with its failure reported; the
// pool opens again afterwards.
TEST(SessionTimeout, InterruptEndsAQueryStuckOnASilentServer)
{
    TestDatabase db({.seed = true});
    TcpForwarder relay = relayToServer();
    relay.start();
    const std::string connection = relayed(db, relay, {.connectSeconds = 3, .readSeconds = 120, .writeSeconds = 120});
    ASSERT_TRUE(openDatabase(connection));
    EMDeviceGroup* group = EMDeviceGroup::getById("g1");
    ASSERT_NE(group, nullptr);

    relay.blackHole();
    EMDeviceData data(group);
    auto query = std::async(std::launch::async, [&] { return data.queryHistory(0, 2000000000); });
    EXPECT_EQ(query.wait_for(1500ms), std::future_status::timeout) << "the query waits on the silent server";

    const auto t0 = Clock::now();
    interruptDatabaseWork();
    ASSERT_EQ(query.wait_for(2s), std::future_status::ready) << "interrupt ends the query";
    RecordProperty("interrupt_to_end_s", std::to_string(secondsSince(t0)));
    EXPECT_TRUE(query.get().empty());
    EXPECT_FALSE(data.error().empty());
    EXPECT_THROW(PooledSession(), soci::soci_error) << "no borrowing while interrupted";

    relay.pass();
    ASSERT_TRUE(openDatabase(connection));
    EXPECT_EQ(data.queryHistory(0, 2000000000).size(), 3u);
    EXPECT_TRUE(data.error().empty());
    closeDatabase();
}
