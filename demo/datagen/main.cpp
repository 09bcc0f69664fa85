// quorvel_datagen: the demo site's configuration and measurements as SQL.
//
//   quorvel_datagen [--seed N] [--end "YYYY-MM-DD HH:MM:SS"] [--days N]
//                   [--large] [--load [--db NAME]] [--data-tables]
//                   [--devices N [--channels M]]
//
// Without --load the statements go to standard output (UTF-8; they start
// with SET NAMES utf8mb4). --load sends them straight to the server named by
// QUORVEL_DB_HOST/PORT/USER/PASSWORD, database --db (default quor), which
// must hold demo/schema.sql already. --large writes only the benchmark group
// (one year of 1-minute rows, 8 items). --data-tables prints the CREATE
// TABLE statements of every demo data table (the tail of demo/schema.sql).
// The same seed and end time give the same output byte for byte; the end
// defaults to now, so the latest rows are always recent. --devices N grows
// the site to N devices on M channels (default N/2; the eight devices of the
// normal site stay as they are): the added devices share one new data table
// per kind of station, created with the site.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ctime>
#include <stdexcept>
#include <string>

#include <mysql.h>

#include "DemoSite.h"
#include "ScaleSite.h"
#include "SqlOutput.h"

namespace {

void usage()
{
    std::fprintf(stderr,
                 "usage: quorvel_datagen [--seed N] [--end \"YYYY-MM-DD HH:MM:SS\"] [--days N]\n"
                 "                       [--large] [--load [--db NAME]] [--data-tables]\n"
                 "                       [--devices N [--channels M]]\n");
}

std::time_t parseEnd(const char* text)
{
    std::tm tm{};
    if (!strptime(text, "%Y-%m-%d %H:%M:%S", &tm))
        throw std::runtime_error(std::string("bad --end time: ") + text);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        throw std::runtime_error(std::string(name) + " is not set (source .run/services.env)");
    return v;
}

class Loader {
public:
    explicit Loader(const std::string& db)
    {
        conn_ = mysql_init(nullptr);
        mysql_options(conn_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
        if (!mysql_real_connect(conn_, env("QUORVEL_DB_HOST").c_str(), env("QUORVEL_DB_USER").c_str(),
                                env("QUORVEL_DB_PASSWORD").c_str(), db.c_str(),
                                static_cast<unsigned>(std::stoi(env("QUORVEL_DB_PORT"))), nullptr, 0))
            throw std::runtime_error(std::string("cannot connect: ") + mysql_error(conn_));
        run("SET autocommit=0");
    }
    ~Loader() { mysql_close(conn_); }
    void run(const std::string& statement)
    {
        if (mysql_real_query(conn_, statement.data(), statement.size()) != 0)
            throw std::runtime_error(std::string(mysql_error(conn_)) + " in: " + statement.substr(0, 200));
    }

private:
    MYSQL* conn_;
};

}  // namespace

int main(int argc, char** argv)
{
    std::uint64_t seed = demo::kDefaultSeed;
    std::time_t end = std::time(nullptr);
    bool endGiven = false;
    long days = 90;
    bool large = false, load = false, dataTables = false;
    std::string db = "quor";
    int devices = 0, channels = 0;
    try {
        for (int i = 1; i < argc; ++i) {
            std::string a = argv[i];
            auto value = [&]() -> const char* {
                if (i + 1 >= argc)
                    throw std::runtime_error(a + " needs a value");
                return argv[++i];
            };
            if (a == "--seed") seed = std::strtoull(value(), nullptr, 10);
            else if (a == "--end") { end = parseEnd(value()); endGiven = true; }
            else if (a == "--days") days = std::strtol(value(), nullptr, 10);
            else if (a == "--large") large = true;
            else if (a == "--load") load = true;
            else if (a == "--db") db = value();
            else if (a == "--data-tables") dataTables = true;
            else if (a == "--devices") devices = std::atoi(value());
            else if (a == "--channels") channels = std::atoi(value());
            else { usage(); return 2; }
        }
        (void)endGiven;
        if (devices < 0 || channels < 0 || (channels > 0 && devices == 0))
            throw std::runtime_error("--channels needs --devices, both positive");
        if (channels == 0)
            channels = devices / 2;
        const demo::ScaleSite scale = demo::makeScaleSite(seed, devices, channels);
        const demo::Site& site = scale.site;
        // Added devices write into one shared table per kind: once each.
        auto sharesTable = [&](const demo::Group& g) {
            for (const demo::Group& shared : scale.sharedTables)
                if (shared.table == g.table)
                    return true;
            return false;
        };
        demo::Group largeGroup = demo::makeLargeGroup(seed);

        if (dataTables) {
            for (const demo::Group& g : site.groups)
                if (!sharesTable(g))
                    std::printf("%s;\n\n", demo::dataTableDdl(g).c_str());
            for (const demo::Group& g : scale.sharedTables)
                std::printf("%s;\n\n", demo::dataTableDdl(g).c_str());
            std::printf("%s;\n", demo::dataTableDdl(largeGroup).c_str());
            return 0;
        }

        std::unique_ptr<Loader> loader;
        demo::StatementSink sink;
        if (load) {
            loader = std::make_unique<Loader>(db);
            sink = [&](const std::string& s) { loader->run(s); };
        } else {
            std::fputs("SET NAMES utf8mb4;\nSET autocommit=0;\n", stdout);
            sink = [](const std::string& s) {
                std::fwrite(s.data(), 1, s.size(), stdout);
                std::fputs(";\n", stdout);
            };
        }
        if (large) {
            const std::time_t aligned = end - end % 60;
            demo::writeGroupConfiguration(largeGroup, sink);
            demo::writeMeasurements(largeGroup, seed, aligned, 525600, sink);
        } else {
            const std::time_t aligned = end - end % 300;
            for (const demo::Group& g : scale.sharedTables) {
                std::string ddl = demo::dataTableDdl(g);
                sink("CREATE TABLE IF NOT EXISTS" + ddl.substr(std::string("CREATE TABLE").size()));
            }
            demo::writeConfiguration(site, seed, sink);
            for (const demo::Group& g : site.groups)
                if (!sharesTable(g))
                    demo::writeMeasurements(g, seed, aligned, days * 288, sink);
            for (const demo::Group& g : scale.sharedTables)
                demo::writeMeasurements(g, seed, aligned, days * 288, sink);
        }
        sink("COMMIT");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel_datagen: %s\n", e.what());
        return 1;
    }
}
