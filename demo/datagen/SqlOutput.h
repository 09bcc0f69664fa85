#pragma once
// Turns the demo site into SQL statements (UTF-8 text, for a session with
// SET NAMES utf8mb4; the tables themselves are GBK).
#include <ctime>
#include <functional>
#include <string>

#include "DemoSite.h"

namespace demo {

// Receives one statement at a time, without the closing ';'.
using StatementSink = std::function<void(const std::string& statement)>;

// CREATE TABLE of a group's data table: DataTime plus one column per item,
// indexed on DataTime.
std::string dataTableDdl(const Group& group);

// INSERTs of the configuration records (em_* tables) of the site.
void writeConfiguration(const Site& site, std::uint64_t seed, const StatementSink& sink);
// INSERTs of one group's configuration rows (em_device_group, items).
void writeGroupConfiguration(const Group& group, const StatementSink& sink);

// INSERTs of `rows` measurements of the group, the last one at `end` (local
// time), `group.minutes` apart; multi-row statements of `batch` rows.
void writeMeasurements(const Group& group, std::uint64_t seed, std::time_t end, long rows,
                       const StatementSink& sink, int batch = 2000);

}  // namespace demo
