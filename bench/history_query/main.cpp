// History query of the large demo group (one year of 1-minute rows, 8
// items) through EMDeviceData, side by side with the same SELECT run by
// `mariadb --quick --batch` into /dev/null. Prints wall times, their ratio,
// peak memory of both, and the memory the result holds per row.
//
//   demo/load-demo.sh --large            (once)
//   quorvel_bench_history_query [--db quor] [--rounds 3]
// Server from QUORVEL_DB_HOST/PORT/USER/PASSWORD (.run/services.env).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <soci/soci.h>

#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"

namespace {

const char* const kLargeTable = "data_dev03_minute";

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        throw std::runtime_error(std::string(name) + " is not set (source .run/services.env)");
    return v;
}

double seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

long peakKb(const char* key = "VmHWM:")
{
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, std::strlen(key)) == 0)
            kb = std::strtol(line + std::strlen(key), nullptr, 10);
    if (f)
        std::fclose(f);
    return kb;
}

struct CliRun {
    double seconds;
    long maxRssKb;
};

CliRun runCli(const std::string& db, const std::string& statement)
{
    std::string password = "-p" + env("QUORVEL_DB_PASSWORD");
    std::string host = env("QUORVEL_DB_HOST"), port = env("QUORVEL_DB_PORT"), user = env("QUORVEL_DB_USER");
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execlp("mariadb", "mariadb", "--no-defaults", "--quick", "--batch", "-h", host.c_str(), "-P",
               port.c_str(), "-u", user.c_str(), password.c_str(), db.c_str(), "-e", statement.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("mariadb command-line client failed");
    return {seconds(start, end), usage.ru_maxrss};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    std::string db = "quor";
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--db") == 0)
            db = argv[i + 1];
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    try {
        std::string connection = buildConnectionString(
            env("QUORVEL_DB_HOST"), static_cast<std::uint16_t>(std::stoi(env("QUORVEL_DB_PORT"))), db,
            env("QUORVEL_DB_USER"), env("QUORVEL_DB_PASSWORD"));
        if (!openDatabase(connection))
            throw std::runtime_error("cannot open database " + db);
        EMDeviceGroup* group = nullptr;
        for (auto& [id, g] : EMDeviceGroup::all())
            if (g->c4 == kLargeTable)
                group = g;
        if (!group)
            throw std::runtime_error("no large group in " + db + ": run demo/load-demo.sh --large");

        std::time_t first = 0, last = 0;
        {
            soci::session sql(g_connectionPool);
            std::tm lo{}, hi{};
            sql << std::string("select min(DataTime), max(DataTime) from ") + kLargeTable, soci::into(lo),
                soci::into(hi);
            lo.tm_isdst = hi.tm_isdst = -1;
            first = std::mktime(&lo);
            last = std::mktime(&hi);
        }
        EMDeviceData data(group);
        const std::string statement = data.buildHistoryStatement(first, last);
        std::printf("statement: %s\n", statement.c_str());

        std::vector<double> clientTimes, cliTimes;
        long cliPeak = 0;
        std::size_t rows = 0, cells = 0;
        double bytesPerRow = 0;
        const long baselinePeak = peakKb();
        for (int r = 0; r < rounds; ++r) {
            CliRun cli = runCli(db, statement);
            cliTimes.push_back(cli.seconds);
            // A child's peak counts the memory it had before exec, i.e. this
            // process's at fork time: only the first round, before any
            // result was held here, measures the client program alone.
            if (r == 0)
                cliPeak = cli.maxRssKb;

            malloc_trim(0);
            const std::size_t heapBefore = mallinfo2().uordblks;
            auto start = std::chrono::steady_clock::now();
            DataRows result = data.queryHistory(first, last);
            auto end = std::chrono::steady_clock::now();
            clientTimes.push_back(seconds(start, end));
            rows = result.size();
            cells = rows ? result[0].size() : 0;
            bytesPerRow = rows ? static_cast<double>(mallinfo2().uordblks - heapBefore) / rows : 0;
            std::printf("round %d: client %.3f s (%zu rows), mariadb --quick --batch %.3f s\n", r + 1,
                        clientTimes.back(), rows, cli.seconds);
        }
        const double client = median(clientTimes), cli = median(cliTimes);
        std::printf("\nrows %zu, cells per row %zu\n", rows, cells);
        std::printf("median time: client %.3f s, mariadb CLI %.3f s, ratio %.2f (target <= 1.5)\n", client, cli,
                    client / cli);
        std::printf("peak RSS: client process %ld kB (%ld kB before the queries), mariadb CLI %ld kB\n", peakKb(),
                    baselinePeak, cliPeak);
        std::printf("result memory: %.0f bytes per row (%.1f MB for %zu rows)\n", bytesPerRow,
                    bytesPerRow * rows / 1048576.0, rows);
        closeDatabase();
        return client / cli <= 1.5 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "history_query: %s\n", e.what());
        return 2;
    }
}
