#include "sites/CheckpointList.h"
#include "sites/CheckpointTable.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>
#include <random>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

using Slot = CheckpointTable::Slot;

TEST(CheckpointTable, RowsEndWithTheTerminator) {
    CheckpointTable t;
    t.setRow(1, {"111111", "222222"});
    EXPECT_EQ(t.slot(1, 0), "111111");
    EXPECT_EQ(t.slot(1, 2), "zzzzzz");
    EXPECT_EQ(t.slot(1, 3), "");
    EXPECT_EQ(t.slot(0, 0), "zzzzzz"); // a row never set is empty
    EXPECT_EQ(t.slot(-1, 0), "zzzzzz");
    EXPECT_TRUE(t.row(7).empty());
}

TEST(CheckpointTable, FindGivesEverySlotInScanOrder) {
    CheckpointTable t;
    t.setRow(2, {"AAAAAA", "123ABC"});
    t.setRow(0, {"123ABC", "BBBBBB", "123ABC"});
    EXPECT_EQ(t.find("123ABC"), (std::vector<Slot>{{0, 0}, {0, 2}, {2, 1}}));
    EXPECT_TRUE(t.find("123abc").empty()); // compared as text
    t.setRow(0, {});
    EXPECT_EQ(t.find("123ABC"), (std::vector<Slot>{{2, 1}}));
}

// The index must give what scanning every row up to its terminator gives, for tables of the
// classic size and for larger ones.
TEST(CheckpointTable, FindMatchesTheScanBeyondTheClassicBounds) {
    std::mt19937 rng(7);
    for (const int sites : {3, 256, 300}) {
        CheckpointTable t;
        std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(sites));
        for (int s = 0; s < sites; ++s) {
            const int count = s == 1 ? 300 : static_cast<int>(rng() % 256);
            for (int k = 0; k < count; ++k)
                rows[static_cast<std::size_t>(s)].push_back("00000" + std::to_string(rng() % 10));
            t.setRow(s, rows[static_cast<std::size_t>(s)]);
        }
        for (int d = 0; d < 10; ++d) {
            const std::string id = "00000" + std::to_string(d);
            std::vector<Slot> scan;
            for (int s = 0; s < sites; ++s)
                for (int k = 0; t.slot(s, k) != "zzzzzz"; ++k)
                    if (t.slot(s, k) == id)
                        scan.push_back({s, k});
            EXPECT_EQ(t.find(id), scan) << sites << " sites, id " << id;
        }
        EXPECT_EQ(t.slot(1, 299), rows[1][299]); // a 300th checkpoint has its place
        EXPECT_EQ(t.slot(1, 300), "zzzzzz");
    }
}

class RebuildTest : public ::testing::Test {
protected:
    test::TempWorkDir dir;
};

TEST_F(RebuildTest, LoadsIdsOfLinesLongerThanFive) {
    fs::create_directories(dir / "A");
    dir.writeLines("A/checkpt.lst",
                   {"h", "", "111111 = One", "222222 = ", "333333", "44444", "555555 = Late"});
    CheckpointTable t;
    RebuildCheckpointTable(dir.path(), {"A"}, t, false);
    // The 9-character line counts for the table; the 5-character line ends its section.
    EXPECT_EQ(t.row(0), (std::vector<std::string>{"111111", "222222", "333333"}));
}

TEST_F(RebuildTest, EnsureCreatesSkeletonsWithoutItOldRowsStay) {
    fs::create_directories(dir / "A");
    fs::create_directories(dir / "B");
    dir.writeLines("B/checkpt.lst", {"h", "", "000000 = ------ Baton Uploaded ------"});
    CheckpointTable t;
    t.setRow(0, {"OLDOLD"});

    RebuildCheckpointTable(dir.path(), {"A", "B"}, t, false);
    EXPECT_EQ(t.row(0), std::vector<std::string>{"OLDOLD"});
    EXPECT_FALSE(fs::exists(dir / "A/checkpt.lst"));
    EXPECT_EQ(t.row(1), std::vector<std::string>{"000000"});

    RebuildCheckpointTable(dir.path(), {"A", "B"}, t, true);
    EXPECT_EQ(t.slot(0, 0), "zzzzzz");
    EXPECT_EQ(dir.readLines("A/checkpt.lst"), SkeletonCheckpointList());
    EXPECT_TRUE(fs::is_directory(dir / "A/Raw"));
    EXPECT_TRUE(t.find("OLDOLD").empty());
}

} // namespace
