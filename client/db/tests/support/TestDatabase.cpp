#include "TestDatabase.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <iconv.h>
#include <unistd.h>

#include <soci/soci.h>
#include <soci/mysql/soci-mysql.h>

#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/RecordCaches.h"

namespace {

const char* const kDataTablesMarker = "-- ---- data tables of the demo site ----";

// The tree this fixture was built from; QUORVEL_SOURCE_DIR when it moved.
std::string sourceDir()
{
    std::string built = QUORVEL_TESTDB_SOURCE_DIR;
    if (std::ifstream(built + "/demo/schema.sql"))
        return built;
    if (const char* dir = std::getenv("QUORVEL_SOURCE_DIR"); dir && *dir)
        return dir;
    return built;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("TestDatabase: cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Statements of an SQL script: '--' comment lines dropped, split at each ';'
// outside quotes. In GBK text a byte from 0x81 up leads a two-byte
// character whose second byte may look like a backslash or a quote.
std::vector<std::string> splitScript(const std::string& script, bool gbk)
{
    std::string text;
    std::istringstream lines(script);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line.compare(first, 2, "--") == 0)
            continue;
        text += line;
        text += '\n';
    }
    std::vector<std::string> statements;
    std::string current;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            current += c;
            if (gbk && static_cast<unsigned char>(c) >= 0x81 && i + 1 < text.size()) {
                current += text[++i];
            } else if (c == '\\' && quote != '`' && i + 1 < text.size()) {
                current += text[++i];
            } else if (c == quote) {
                quote = 0;
            }
        } else if (c == ';') {
            statements.push_back(current);
            current.clear();
        } else {
            if (c == '\'' || c == '"' || c == '`')
                quote = c;
            current += c;
        }
    }
    statements.push_back(current);
    std::vector<std::string> nonEmpty;
    for (std::string& statement : statements)
        if (statement.find_first_not_of(" \t\r\n") != std::string::npos)
            nonEmpty.push_back(std::move(statement));
    return nonEmpty;
}

std::string uniqueName()
{
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    std::mt19937 gen(entropy() ^ static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    std::ostringstream name;
    name << "qtest_" << getpid() << '_' << counter++ << '_' << std::hex << (gen() & 0xffffff);
    return name.str();
}

void runScript(soci::session& sql, const std::string& script, bool gbk)
{
    for (const std::string& statement : splitScript(script, gbk))
        sql << statement;
}

// The administrative account: creates, fills and drops test databases.
std::string serverParameters()
{
    return "host=" + TestDatabase::requireEnv("QUORVEL_DB_HOST") +
           " port=" + TestDatabase::requireEnv("QUORVEL_DB_PORT") +
           " user=" + TestDatabase::requireEnv("QUORVEL_DB_USER") +
           " password=" + TestDatabase::requireEnv("QUORVEL_DB_PASSWORD");
}

}  // namespace

std::string TestDatabase::requireEnv(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value || !*value)
        throw std::runtime_error(std::string("TestDatabase: environment variable ") + variable +
                                 " is not set; start the services (scripts/services.sh start) "
                                 "and export .run/services.env");
    return value;
}

std::string TestDatabase::serverConnectionString()
{
    return serverParameters() + " charset=GBK";
}

TestDatabase::TestDatabase() : TestDatabase(Options{}) {}

TestDatabase::TestDatabase(Options options) : name_(uniqueName())
{
    {
        soci::session admin(soci::mysql, serverConnectionString());
        admin << "create database " + name_ + " character set gbk";
    }
    try {
        if (options.loadSchema || options.seed) {
            // The em_* tables only; the demo site's data tables follow the marker.
            std::string schema = readFile(sourceDir() + "/demo/schema.sql");
            std::size_t marker = schema.find(kDataTablesMarker);
            executeUtf8(schema.substr(0, marker));
        }
        if (options.seed)
            executeUtf8(readFile(sourceDir() + "/client/db/tests/support/seed.sql"));
        // The client's own account gets the grants a site gives it, so a
        // statement of the client that needs more fails its test. A database
        // without the em_* tables gets only the read grant.
        std::string account = readFile(sourceDir() + "/demo/client-account.sql");
        if (!options.loadSchema && !options.seed) account.erase(account.find("GRANT UPDATE"));
        executeUtf8(account);
    } catch (...) {
        soci::session admin(soci::mysql, serverConnectionString());
        admin << "drop database if exists " + name_;
        throw;
    }
}

TestDatabase::~TestDatabase()
{
    closePool();
    try {
        soci::session admin(soci::mysql, serverConnectionString());
        admin << "drop database if exists " + name_;
    } catch (const std::exception&) {
        // A server gone at the end of a test leaves the database behind;
        // its unique name keeps it from disturbing anything.
    }
}

std::string TestDatabase::connectionString() const
{
    return buildConnectionString(requireEnv("QUORVEL_DB_HOST"),
                                 static_cast<std::uint16_t>(std::stoi(requireEnv("QUORVEL_DB_PORT"))),
                                 name_, requireEnv("QUORVEL_DB_CLIENT_USER"),
                                 requireEnv("QUORVEL_DB_CLIENT_PASSWORD"));
}

std::unique_ptr<soci::session> TestDatabase::openSession() const
{
    return std::make_unique<soci::session>(soci::mysql, serverParameters() + " db=" + name_ + " charset=GBK");
}

void TestDatabase::execute(const std::string& sql)
{
    auto session = openSession();
    runScript(*session, sql, true);
}

void TestDatabase::executeUtf8(const std::string& sql)
{
    soci::session session(soci::mysql, serverParameters() + " db=" + name_ + " charset=utf8mb4");
    runScript(session, sql, false);
}

bool TestDatabase::openPool()
{
    closePool();
    return openDatabase(connectionString());
}

void TestDatabase::closePool()
{
    closeDatabase();
    releaseRecordCaches();
}

std::string TestDatabase::gbk(const std::string& utf8)
{
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("TestDatabase::gbk: no UTF-8 to GBK converter");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw std::runtime_error("TestDatabase::gbk: text has no GBK form");
    out.resize(out.size() - outLeft);
    return out;
}
