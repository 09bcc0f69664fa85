// A query that fails in any way gives the view no rows: a part of a result
// is never shown, plotted or exported as if it were all of it.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>

#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/ResultStore.h"
#include "ui/model/QueryRun.h"

using namespace quorvel::ui;

namespace {

std::unique_ptr<ResultStore> twoRows()
{
    const DataRows rows = {{{100, "2019-3-24 08:05:00"}, {3, "1.5"}}, {{100, "2019-3-24 08:06:00"}, {3, "2.5"}}};
    return ResultStore::fromRows(rows, ResultStore::TimeLabel::History,
                                 {{3, ResultStore::historyStorage(3)}});
}

}  // namespace

TEST(QueryRun, RowsOnlyFromAQueryThatReadEverything)
{
    EMDeviceGroup group;
    group.id = "g1";
    group.c4 = "data_g1";
    EMDeviceData data(&group);

    const QueryResult done = runQuery([](EMDeviceData&, std::time_t, std::time_t) { return twoRows(); }, data, 0,
                                      1, SeriesKind::history());
    EXPECT_TRUE(done.error.empty()) << done.error;
    ASSERT_TRUE(done.rows);
    ASSERT_TRUE(done.plotRows);
    EXPECT_EQ(done.rows->size(), 2u);
    EXPECT_EQ(done.plotRows->RowCount(), 2u);
    EXPECT_DOUBLE_EQ(done.plotRows->RowValue(1, 0), 2.5);

    // The query says it stopped early, yet hands back what it read.
    group.c4 = "data`g1";
    EMDeviceData unusable(&group);
    const QueryResult refused = runQuery(
        [](EMDeviceData& d, std::time_t start, std::time_t end) {
            d.queryHistoryStore(start, end);
            return twoRows();
        },
        unusable, 0, 1, SeriesKind::history());
    EXPECT_NE(refused.error.find("unusable table"), std::string::npos) << refused.error;
    EXPECT_FALSE(refused.rows);
    EXPECT_FALSE(refused.plotRows);

    const QueryResult noMemory = runQuery(
        [](EMDeviceData&, std::time_t, std::time_t) -> std::unique_ptr<ResultStore> { throw std::bad_alloc(); },
        data, 0, 1, SeriesKind::stats(0));
    EXPECT_EQ(noMemory.error, "out of memory");
    EXPECT_FALSE(noMemory.rows);
    EXPECT_FALSE(noMemory.plotRows);

    const QueryResult thrown = runQuery(
        [](EMDeviceData&, std::time_t, std::time_t) -> std::unique_ptr<ResultStore> {
            throw std::runtime_error("connection lost");
        },
        data, 0, 1, SeriesKind::history());
    EXPECT_EQ(thrown.error, "connection lost");
    EXPECT_FALSE(thrown.rows);
}
