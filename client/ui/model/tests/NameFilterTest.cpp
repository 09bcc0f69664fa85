// What the device pickers' filter box picks out of a long list of names.
#include <gtest/gtest.h>

#include "ui/model/NameFilter.h"

namespace {

using quorvel::ui::matchingNames;

TEST(NameFilter, PartOfANameInAnyCaseAndChineseAsTypedWithALimit) {
    const std::vector<std::string> names = {"东区泵站0009", "西区气象站0010", "Pump-North 7", "东区水塔0013",
                                            "pump-south 8", "南区泵站0014"};
    EXPECT_EQ(matchingNames(names, "", 100).size(), names.size());
    EXPECT_EQ(matchingNames(names, "泵站", 100), (std::vector<std::size_t>{0, 5}));
    EXPECT_EQ(matchingNames(names, "东区", 100), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(matchingNames(names, "PUMP", 100), (std::vector<std::size_t>{2, 4}));
    EXPECT_EQ(matchingNames(names, "00", 100), (std::vector<std::size_t>{0, 1, 3, 5}));
    EXPECT_TRUE(matchingNames(names, "北区", 100).empty());

    std::size_t total = 0;
    EXPECT_EQ(matchingNames(names, "00", 2, &total), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(total, 4u) << "the total counts beyond the limit";
}

}  // namespace
