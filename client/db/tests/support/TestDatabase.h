#pragma once
// A fresh, uniquely named database on the services' MariaDB for one test.
//
//   TestDatabase db;                       // schema only
//   TestDatabase db({.seed = true});       // schema + seed.sql (below)
//   ASSERT_TRUE(db.openPool());            // g_connectionPool + every cache
//   db.execute("insert into em_user ...");
//   ... db dropped, caches emptied, pool closed in the destructor.
//
// The server comes from the environment written by scripts/services.sh
// (source .run/services.env): QUORVEL_DB_HOST, QUORVEL_DB_PORT,
// QUORVEL_DB_USER, QUORVEL_DB_PASSWORD (the administrative account: it
// makes and fills the database, execute() and openSession() use it) and
// QUORVEL_DB_CLIENT_USER, QUORVEL_DB_CLIENT_PASSWORD (the client's own
// account with the grants of demo/client-account.sql: connectionString()
// and openPool() use it). A missing variable throws
// std::runtime_error naming it, so the test fails with that message.
//
// Seed data (client/db/tests/support/seed.sql, GBK text):
//   protocol  "p1" protocol_name "modbus", publish_plugins ";pubA.so;;pubB.so;"
//   channels  "7" communication "gw01" (protocol p1), "8" communication "gw02"
//   devices   "d1" 泵站一号 on channel 7, "d2" 水质监测仪 on channel 8,
//             "d3" 备用设备 on channel 7 (shares it with d1; enable 0)
//   groups    "g1" of d1 (b1 1, table data_g1), "g2" of d2 (b1 1, table data_g2)
//   items     g1: i1 温度 (v1, type 3, ℃, colour 255), i2 状态 (v2, type 0),
//                 i3 备注 (v3, type 100); g2: i4 PH值 (ph, type 3)
//   data_g1   rows at 2020-01-05 09:00:00, 09:05:00, 10:00:00 (one with NULLs)
//   data_g2   empty
//   modules   "m3" 调试串口 (menu_no 3), "m4" 数据点维护 (menu_no 4)
//   roles     "r1" 管理员 (m3, m4), "r2" 操作员 (none)
//   users     "u1" login "admin" password "admin123" role r1, devices d1 d2
//             "u2" login "oper" password "oper123" role r2, device d1
//             "u3" login "guest" password "" role r2, no devices
//   faults    em_real_data_communication "f1": device "7", relieve_flag 0
#include <memory>
#include <string>

namespace soci {
class session;
}

class TestDatabase {
public:
    struct Options {
        bool loadSchema = true;  // the em_* tables of demo/schema.sql
        bool seed = false;       // seed.sql (implies the schema)
    };

    TestDatabase();
    explicit TestDatabase(Options options);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    const std::string& name() const { return name_; }
    // Connection string of the database in the client's own format
    // (host= port= db= user= password= charset=GBK), client account.
    std::string connectionString() const;
    // The same server, without a database (for CREATE/DROP).
    static std::string serverConnectionString();

    // Runs one or more ';'-separated statements on a session of its own;
    // throws on failure. execute takes text as GBK bytes (as the client
    // sends it), executeUtf8 UTF-8 text (the server converts it to GBK).
    void execute(const std::string& sql);
    void executeUtf8(const std::string& sql);
    // A session of its own on this database (not one of the pool),
    // administrative account.
    std::unique_ptr<soci::session> openSession() const;

    // openDatabase(connectionString()): pool opened, every cache loaded.
    bool openPool();
    // Pool closed and every cache emptied (the destructor does this too).
    static void closePool();

    // UTF-8 text as GBK bytes (what the client reads from the database).
    static std::string gbk(const std::string& utf8);

    // Environment variable or a runtime_error naming it.
    static std::string requireEnv(const char* variable);

private:
    std::string name_;
};
