// History and statistics queries over a group's data table.
#include <gtest/gtest.h>

#include <soci/soci.h>

#include "LogCapture.h"
#include "TcpForwarder.h"
#include "TestDatabase.h"
#include "quorvel_test/LocalTime.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"

namespace {

const std::time_t kDayStart = localTime(2020, 1, 5, 0, 0, 0);
const std::time_t kDayEnd = localTime(2020, 1, 5, 23, 59, 59);

DataRow row(std::initializer_list<DataCell> cells)
{
    return DataRow(cells);
}

class DeviceData : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.openPool()); }
    TestDatabase db{{.seed = true}};
};

}  // namespace

TEST_F(DeviceData, HistoryStatementAndRowsWithNulls)
{
    EMDeviceData data(EMDeviceGroup::getById("g1"));
    DataRows rows = data.queryHistory(kDayStart, kDayEnd);
    EXPECT_EQ(data.statement(),
              "select date_format(DataTime,'%Y-%c-%d %H:%i:%s') as DataTime,v1,v2,v3 from data_g1 "
              "where DataTime >= '2020-01-05 00:00:00' and DataTime <='2020-01-05 23:59:59'"
              " order by data_g1.DataTime");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], row({{100, "2020-1-05 09:00:00"}, {3, "12.5"}, {0, "1"}, {100, TestDatabase::gbk("正常")}}));
    EXPECT_EQ(rows[1], row({{100, "2020-1-05 09:05:00"}, {3, "0"}, {0, "0"}, {100, ""}}));
    EXPECT_EQ(rows[2], row({{100, "2020-1-05 10:00:00"}, {3, "14.25"}, {0, "0"}, {100, TestDatabase::gbk("停机")}}));
}

TEST_F(DeviceData, BothEndsOfTheRangeAreInclusive)
{
    EMDeviceData data(EMDeviceGroup::getById("g1"));
    DataRows rows = data.queryHistory(localTime(2020, 1, 5, 9, 0, 0), localTime(2020, 1, 5, 10, 0, 0));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(data.queryHistory(localTime(2020, 1, 5, 9, 0, 1), localTime(2020, 1, 5, 9, 4, 59)).empty());
}

TEST_F(DeviceData, RowsComeBackOldestFirstWhateverTheStorageOrder)
{
    db.execute("create table data_mixed (DataTime datetime, v double) default charset=gbk;"
               "insert into data_mixed values ('2021-03-02 00:00:00', 3), ('2021-03-01 12:00:00', 2),"
               "('2021-03-03 00:00:00', 4), ('2021-03-01 00:00:00', 1);"
               "insert into em_device_group (id, c4, device) values ('gm', 'data_mixed', 'd1');"
               "insert into em_device_group_item (id, group_id, c2, data_type, b3) values ('im', 'gm', 'v', 3, 1)");
    ASSERT_TRUE(db.openPool());
    EMDeviceData data(EMDeviceGroup::getById("gm"));
    DataRows rows = data.queryHistory(localTime(2021, 3, 1, 0, 0, 0), localTime(2021, 3, 31, 0, 0, 0));
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i][1].second, std::to_string(i + 1));
    DataRows daily = data.queryStatistics(localTime(2021, 3, 1, 0, 0, 0), localTime(2021, 3, 31, 0, 0, 0),
                                          EMDeviceData::kDaily);
    ASSERT_EQ(daily.size(), 3u);
    EXPECT_EQ(daily[0], row({{100, "2021-3-1"}, {3, "1.5"}}));
    EXPECT_EQ(daily[1], row({{100, "2021-3-2"}, {3, "3"}}));
    EXPECT_EQ(daily[2], row({{100, "2021-3-3"}, {3, "4"}}));
}

// Labels write the month without a leading zero, so as text "2021-10-01"
// sorts before "2021-9-30": the rows must still come in time order.
TEST_F(DeviceData, RowsComeInTimeOrderAcrossOneAndTwoDigitMonths)
{
    db.execute("create table data_months (DataTime datetime, v double) default charset=gbk;"
               "insert into data_months values ('2021-10-01 00:00:00', 2), ('2021-09-30 23:59:00', 1),"
               "('2021-12-31 00:00:00', 4), ('2022-01-01 00:00:00', 5), ('2021-11-05 00:00:00', 3);"
               "insert into em_device_group (id, c4, device) values ('gmo', 'data_months', 'd1');"
               "insert into em_device_group_item (id, group_id, c2, data_type, b3) values ('imo', 'gmo', 'v', 3, 1)");
    ASSERT_TRUE(db.openPool());
    EMDeviceData data(EMDeviceGroup::getById("gmo"));
    DataRows rows = data.queryHistory(localTime(2021, 9, 1, 0, 0, 0), localTime(2022, 2, 1, 0, 0, 0));
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i][1].second, std::to_string(i + 1)) << rows[i][0].second;
}

TEST_F(DeviceData, StatisticsAverageOnlyNumericItemsAndLabelWithoutPadding)
{
    EMDeviceData data(EMDeviceGroup::getById("g1"));
    DataRows hourly = data.queryStatistics(kDayStart, kDayEnd, EMDeviceData::kHourly);
    EXPECT_EQ(data.statement(),
              "select year(DataTime) as year,month(DataTime) as month,day(DataTIme) as day,hour(DataTime) as hour"
              ",avg(v1) as v1 from data_g1 where DataTime >= '2020-01-05 00:00:00' and DataTime <='2020-01-05 23:59:59"
              "' group by year(DataTime),month(DataTime),day(DataTIme),hour(DataTime)"
              " order by year(DataTime),month(DataTime),day(DataTIme),hour(DataTime)");
    ASSERT_EQ(hourly.size(), 2u);
    EXPECT_EQ(hourly[0], row({{100, "2020-1-5 9:00:00"}, {3, "12.5"}, {0, "--"}, {100, "--"}}));
    EXPECT_EQ(hourly[1], row({{100, "2020-1-5 10:00:00"}, {3, "14.25"}, {0, "--"}, {100, "--"}}));

    DataRows daily = data.queryStatistics(kDayStart, kDayEnd, EMDeviceData::kDaily);
    EXPECT_EQ(data.statement(),
              "select year(DataTime) as year,month(DataTime) as month,day(DataTIme) as day"
              ",avg(v1) as v1 from data_g1 where DataTime >= '2020-01-05 00:00:00' and DataTime <='2020-01-05 23:59:59"
              "' group by year(DataTime),month(DataTime),day(DataTime)"
              " order by year(DataTime),month(DataTime),day(DataTime)");
    ASSERT_EQ(daily.size(), 1u);
    EXPECT_EQ(daily[0], row({{100, "2020-1-5"}, {3, "13.375"}, {0, "--"}, {100, "--"}}));

    DataRows monthly = data.queryStatistics(kDayStart, kDayEnd, 7);
    EXPECT_EQ(data.statement(),
              "select year(DataTime) as year,month(DataTime) as month"
              ",avg(v1) as v1 from data_g1 where DataTime >= '2020-01-05 00:00:00' and DataTime <='2020-01-05 23:59:59"
              "' group by year(DataTime),month(DataTime)"
              " order by year(DataTime),month(DataTime)");
    ASSERT_EQ(monthly.size(), 1u);
    EXPECT_EQ(monthly[0][0], DataCell(100, "2020-1"));
}

TEST_F(DeviceData, ValuesKeepTheirDataTypeFormatting)
{
    db.execute("create table data_types (DataTime datetime, i int, b bigint, d double, t varchar(20), x int);"
               "insert into data_types values ('2022-06-01 08:00:00', -42, 9000000000, 1000000, 'abc', 5),"
               "('2022-06-01 09:00:00', 7, -1, 0.000012345678, NULL, NULL);"
               "insert into em_device_group (id, c4) values ('gt', 'data_types');"
               "insert into em_device_group_item (id, group_id, c2, data_type, b3) values "
               "('t1', 'gt', 'i', 0, 1), ('t2', 'gt', 'b', 1, 2), ('t3', 'gt', 'b', 2, 3),"
               "('t4', 'gt', 'd', 3, 4), ('t5', 'gt', 't', 100, 5), ('t6', 'gt', 'x', 42, 6)");
    ASSERT_TRUE(db.openPool());
    EMDeviceData data(EMDeviceGroup::getById("gt"));
    DataRows rows = data.queryHistory(localTime(2022, 6, 1, 0, 0, 0), localTime(2022, 6, 2, 0, 0, 0));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], row({{100, "2022-6-01 08:00:00"}, {0, "-42"}, {1, "9000000000"}, {2, "9000000000"},
                            {3, "1e+06"}, {100, "abc"}, {42, ""}}));
    EXPECT_EQ(rows[1], row({{100, "2022-6-01 09:00:00"}, {0, "7"}, {1, "-1"}, {2, "-1"},
                            {3, "1.23457e-05"}, {100, ""}, {42, ""}}));

    DataRows monthly = data.queryStatistics(localTime(2022, 6, 1, 0, 0, 0), localTime(2022, 6, 2, 0, 0, 0),
                                            EMDeviceData::kMonthly);
    EXPECT_NE(data.statement().find(",avg(b) as b,avg(b) as b,avg(d) as d,avg(x) as x from"), std::string::npos);
    ASSERT_EQ(monthly.size(), 1u);
    EXPECT_EQ(monthly[0], row({{100, "2022-6"}, {0, "--"}, {1, "4.5e+09"}, {2, "4.5e+09"}, {3, "500000"},
                               {100, "--"}, {42, ""}}));
}

TEST_F(DeviceData, AGroupWithoutItemsGivesTimeCellsOnly)
{
    db.execute("insert into em_device_group (id, c4) values ('ge', 'data_g1')");
    ASSERT_TRUE(db.openPool());
    EMDeviceData data(EMDeviceGroup::getById("ge"));
    DataRows rows = data.queryHistory(kDayStart, kDayEnd);
    EXPECT_EQ(data.statement().rfind("select date_format(DataTime,'%Y-%c-%d %H:%i:%s') as DataTime from data_g1 ", 0),
              0u);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], row({{100, "2020-1-05 10:00:00"}}));
}

TEST_F(DeviceData, AMissingTableGivesNoRowsAndOneLoggedError)
{
    db.execute("insert into em_device_group (id, c4) values ('gx', 'no_such_table');"
               "insert into em_device_group_item (id, group_id, c2, data_type) values ('ix', 'gx', 'v', 3)");
    ASSERT_TRUE(db.openPool());
    LogCapture log;
    EMDeviceData data(EMDeviceGroup::getById("gx"));
    EXPECT_TRUE(data.queryHistory(kDayStart, kDayEnd).empty());
    auto errors = log.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("error:", 0), 0u);
    EXPECT_NE(errors[0].find("no_such_table"), std::string::npos);
    EXPECT_NE(errors[0].find("查询设备错误"), std::string::npos);
    EXPECT_TRUE(data.queryStatistics(kDayStart, kDayEnd, EMDeviceData::kDaily).empty());
    EXPECT_EQ(log.errors().size(), 2u);
}

TEST_F(DeviceData, OddNamesAreQuotedAndBacktickNamesRefused)
{
    db.execute("create table `data g-1` (DataTime datetime, `v 1` double, `v;drop table em_user` int);"
               "insert into `data g-1` values ('2020-01-05 09:00:00', 1.5, 2);"
               "insert into em_device_group (id, c4) values ('gq', 'data g-1'), ('gb', 'data`x');"
               "insert into em_device_group_item (id, group_id, c2, data_type, b3) values "
               "('q1', 'gq', 'v 1', 3, 1), ('q2', 'gq', 'v;drop table em_user', 0, 2), ('b1', 'gb', 'v', 3, 1)");
    ASSERT_TRUE(db.openPool());
    EMDeviceData quoted(EMDeviceGroup::getById("gq"));
    DataRows rows = quoted.queryHistory(kDayStart, kDayEnd);
    EXPECT_EQ(quoted.statement(),
              "select date_format(DataTime,'%Y-%c-%d %H:%i:%s') as DataTime,`v 1`,`v;drop table em_user` "
              "from `data g-1` where DataTime >= '2020-01-05 00:00:00' and DataTime <='2020-01-05 23:59:59'"
              " order by `data g-1`.DataTime");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], row({{100, "2020-1-05 09:00:00"}, {3, "1.5"}, {0, "2"}}));
    DataRows stats = quoted.queryStatistics(kDayStart, kDayEnd, EMDeviceData::kDaily);
    ASSERT_EQ(stats.size(), 1u);
    EXPECT_EQ(stats[0][1], DataCell(3, "1.5"));

    LogCapture log;
    EMDeviceData refused(EMDeviceGroup::getById("gb"));
    EXPECT_TRUE(refused.queryHistory(kDayStart, kDayEnd).empty());
    EXPECT_EQ(refused.statement(), "");
    EXPECT_EQ(log.errors().size(), 1u);
    auto sql = db.openSession();
    int users = 0;
    *sql << "select count(*) from em_user", soci::into(users);
    EXPECT_EQ(users, 3);
}

TEST_F(DeviceData, AColumnOfTheWrongTypeIsReportedNotMisread)
{
    db.execute("insert into em_device_group_item (id, group_id, c2, data_type, b3) values ('iw', 'g1', 'v3', 0, 9)");
    ASSERT_TRUE(db.openPool());
    LogCapture log;
    EMDeviceData data(EMDeviceGroup::getById("g1"));
    EXPECT_TRUE(data.queryHistory(kDayStart, kDayEnd).empty());
    EXPECT_EQ(log.errors().size(), 1u);
}

// The label's month has no leading zero, so as text 2019-10-01 sorts before
// 2019-9-30: the rows must be ordered by the stored time, not the label.
TEST_F(DeviceData, RowsAcrossMonthAndYearEndsComeOldestFirst)
{
    db.execute("create table data_turn (DataTime datetime not null, v double) default charset=gbk;"
               "insert into data_turn values ('2019-10-01 00:30:00', 4), ('2020-01-01 00:00:00', 7),"
               "('2019-09-30 23:00:00', 1), ('2019-12-31 23:30:00', 6), ('2020-01-01 00:30:00', 8),"
               "('2019-10-01 00:00:00', 3), ('2019-09-30 23:30:00', 2), ('2019-12-31 23:00:00', 5);"
               "insert into em_device_group (id, c4, device) values ('gt', 'data_turn', 'd1');"
               "insert into em_device_group_item (id, group_id, c2, data_type, b3) values ('it', 'gt', 'v', 3, 1)");
    ASSERT_TRUE(db.openPool());
    EMDeviceData data(EMDeviceGroup::getById("gt"));
    const std::time_t from = localTime(2019, 9, 30, 22, 0, 0);
    const std::time_t to = localTime(2020, 1, 1, 1, 0, 0);
    DataRows rows = data.queryHistory(from, to);
    EXPECT_TRUE(data.error().empty()) << data.error();
    EXPECT_EQ(data.statement(),
              "select date_format(DataTime,'%Y-%c-%d %H:%i:%s') as DataTime,v from data_turn "
              "where DataTime >= '2019-09-30 22:00:00' and DataTime <='2020-01-01 01:00:00'"
              " order by data_turn.DataTime");
    const char* labels[] = {"2019-9-30 23:00:00", "2019-9-30 23:30:00", "2019-10-01 00:00:00",
                            "2019-10-01 00:30:00", "2019-12-31 23:00:00", "2019-12-31 23:30:00",
                            "2020-1-01 00:00:00", "2020-1-01 00:30:00"};
    ASSERT_EQ(rows.size(), 8u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], row({{100, labels[i]}, {3, std::to_string(i + 1)}})) << "row " << i;

    DataRows hourly = data.queryStatistics(from, to, EMDeviceData::kHourly);
    ASSERT_EQ(hourly.size(), 4u);
    EXPECT_EQ(hourly[0], row({{100, "2019-9-30 23:00:00"}, {3, "1.5"}}));
    EXPECT_EQ(hourly[1], row({{100, "2019-10-1 0:00:00"}, {3, "3.5"}}));
    EXPECT_EQ(hourly[2], row({{100, "2019-12-31 23:00:00"}, {3, "5.5"}}));
    EXPECT_EQ(hourly[3], row({{100, "2020-1-1 0:00:00"}, {3, "7.5"}}));
    DataRows daily = data.queryStatistics(from, to, EMDeviceData::kDaily);
    ASSERT_EQ(daily.size(), 4u);
    EXPECT_EQ(daily[0][0].second, "2019-9-30");
    EXPECT_EQ(daily[1][0].second, "2019-10-1");
    EXPECT_EQ(daily[2][0].second, "2019-12-31");
    EXPECT_EQ(daily[3][0].second, "2020-1-1");
    DataRows monthly = data.queryStatistics(from, to, EMDeviceData::kMonthly);
    ASSERT_EQ(monthly.size(), 4u);
    EXPECT_EQ(monthly[0], row({{100, "2019-9"}, {3, "1.5"}}));
    EXPECT_EQ(monthly[1], row({{100, "2019-10"}, {3, "3.5"}}));
    EXPECT_EQ(monthly[2], row({{100, "2019-12"}, {3, "5.5"}}));
    EXPECT_EQ(monthly[3], row({{100, "2020-1"}, {3, "7.5"}}));
}

// A data table in another database (c4 "otherdb.data_x") is named part by
// part; GBK names cut inside a double-byte character never reach the server.
TEST_F(DeviceData, SchemaQualifiedTablesWorkAndCutGbkNamesAreRefused)
{
    TestDatabase other({.loadSchema = false});
    other.execute("create table data_x (DataTime datetime not null, v double, w int) default charset=gbk;"
                  "insert into data_x values ('2020-01-05 09:00:00', 2.5, 7)");
    db.execute("insert into em_device_group (id, c4, device) values ('go', '" + other.name() + ".data_x', 'd1'),"
               "('gc', 'data_g1', 'd1');"
               "insert into em_device_group_item (id, group_id, c2, data_type, b3) values "
               "('io', 'go', 'v', 3, 1), ('iw', 'go', 'w', 0, 2), ('ic', 'gc', 'v1', 3, 1)");
    ASSERT_TRUE(db.openPool());
    EMDeviceData qualified(EMDeviceGroup::getById("go"));
    DataRows rows = qualified.queryHistory(kDayStart, kDayEnd);
    const std::string table = "`" + other.name() + "`.`data_x`";
    EXPECT_EQ(qualified.statement(),
              "select date_format(DataTime,'%Y-%c-%d %H:%i:%s') as DataTime,v,w from " + table +
                  " where DataTime >= '2020-01-05 00:00:00' and DataTime <='2020-01-05 23:59:59'"
                  " order by " + table + ".DataTime");
    EXPECT_TRUE(qualified.error().empty()) << qualified.error();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], row({{100, "2020-1-05 09:00:00"}, {3, "2.5"}, {0, "7"}}));
    DataRows daily = qualified.queryStatistics(kDayStart, kDayEnd, EMDeviceData::kDaily);
    ASSERT_EQ(daily.size(), 1u);
    EXPECT_EQ(daily[0], row({{100, "2020-1-5"}, {3, "2.5"}, {0, "--"}}));

    // "v\xB1" followed by another column: the lead byte would take the
    // closing backtick as its second byte. (Such names are put into the
    // cached records: the GBK connection cannot even store them.)
    EMDeviceGroupItem::getByGroup("g1")[0]->c2 = "v\xB1";
    LogCapture log;
    EMDeviceData cutColumn(EMDeviceGroup::getById("g1"));
    EXPECT_TRUE(cutColumn.queryHistory(kDayStart, kDayEnd).empty());
    EXPECT_EQ(cutColumn.statement(), "");
    EXPECT_FALSE(cutColumn.error().empty());
    EXPECT_TRUE(cutColumn.queryStatistics(kDayStart, kDayEnd, EMDeviceData::kDaily).empty());
    EXPECT_EQ(cutColumn.statement(), "");
    EMDeviceGroup::getById("gc")->c4 = "data_g1\xB1";
    EMDeviceData cutTable(EMDeviceGroup::getById("gc"));
    EXPECT_TRUE(cutTable.queryHistory(kDayStart, kDayEnd).empty());
    EXPECT_EQ(cutTable.statement(), "");
    EXPECT_EQ(log.errors().size(), 3u);
}

// A result cut off by a lost connection is reported as a failure with the
// rows read so far; the next query reconnects and reads everything.
TEST_F(DeviceData, AConnectionLostPartWayIsAFailureNotAShortResult)
{
    db.execute("create table data_big (DataTime datetime not null, v double, key (DataTime)) default charset=gbk;"
               "insert into data_big select '2019-03-01 00:00:00' + interval seq minute, seq from seq_0_to_49999;"
               "insert into em_device_group (id, c4, device) values ('gl', 'data_big', 'd1');"
               "insert into em_device_group_item (id, group_id, c2, data_type, b3) values ('il', 'gl', 'v', 3, 1)");
    TcpForwarder relay(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                       std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    relay.start();
    TestDatabase::closePool();
    ASSERT_TRUE(openDatabase(buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(relay.port()), db.name(),
                                                   TestDatabase::requireEnv("QUORVEL_DB_USER"),
                                                   TestDatabase::requireEnv("QUORVEL_DB_PASSWORD"))));
    EMDeviceData data(EMDeviceGroup::getById("gl"));
    const std::time_t from = localTime(2019, 3, 1, 0, 0, 0);
    const std::time_t to = localTime(2019, 5, 1, 0, 0, 0);
    ASSERT_EQ(data.queryHistory(from, to).size(), 50000u);
    EXPECT_TRUE(data.error().empty());

    LogCapture log;
    relay.cutAfterServerBytes(64 * 1024);
    DataRows partial = data.queryHistory(from, to);
    EXPECT_TRUE(relay.hasCut());
    EXPECT_GT(partial.size(), 0u);
    EXPECT_LT(partial.size(), 50000u);
    EXPECT_FALSE(data.error().empty()) << "a cut result must not pass for the whole one";
    EXPECT_EQ(log.errors().size(), 1u);

    DataRows hourly = data.queryStatistics(from, to, EMDeviceData::kHourly);  // reconnects
    ASSERT_EQ(hourly.size(), 834u);
    EXPECT_TRUE(data.error().empty()) << data.error();
    relay.cutAfterServerBytes(4096);
    DataRows cutHourly = data.queryStatistics(from, to, EMDeviceData::kHourly);
    EXPECT_LT(cutHourly.size(), 834u);
    EXPECT_FALSE(data.error().empty());

    EXPECT_EQ(data.queryHistory(from, to).size(), 50000u);
    EXPECT_TRUE(data.error().empty()) << data.error();
    TestDatabase::closePool();
}
