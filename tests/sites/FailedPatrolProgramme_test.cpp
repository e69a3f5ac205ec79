#include "sites/FailedPatrolProgramme.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace veltrona::test {
namespace {

const DateTime kNow{2027, 3, 5, 14, 7, 0, 0};
const std::string kMessage42 = "There are no checkpoints in the site";

void WriteList(const TempWorkDir& dir, const std::string& site,
               const std::vector<std::string>& ids) {
    std::vector<std::string> lines{"//Checkpoint list for " + site, ""};
    for (const std::string& id : ids)
        lines.push_back(id + " = Point " + id);
    lines.insert(lines.end(), {"", "Round Time  = 015", "//End of File"});
    dir.writeLines(site + "/checkpt.lst", lines);
}

// How many entries each checkpoint got, in programme order.
std::vector<int> Runs(const FailedPatrolProgramme& p) {
    std::vector<int> runs;
    for (std::size_t i = 0; i < p.entries.size(); ++i) {
        if (i == 0 || p.entries[i][2] != p.entries[i - 1][2])
            runs.push_back(0);
        ++runs.back();
    }
    return runs;
}

std::vector<std::string> Ids(int n) {
    std::vector<std::string> ids;
    for (int i = 1; i <= n; ++i)
        ids.push_back("00A1" + std::string(1, "0123456789ABCDEF"[i / 16]) +
                      std::string(1, "0123456789ABCDEF"[i % 16]));
    return ids;
}

TEST(FailedPatrolProgramme, RepeatCountsOfTheFirstThreeCheckpoints) {
    struct Row {
        const char* name;
        int checkpoints;
        FailedPatrolType type;
        int round, p2, p3;
        std::vector<int> runs;
    } rows[] = {
        {"single, 30 min, 06h00 to 18h00", 3, FailedPatrolType::Single, 30, 6, 18, {2, 6, 18}},
        {"two checkpoints: no finish count", 2, FailedPatrolType::Single, 15, 1, 24, {1, 1}},
        {"multiple, rest 10, 3 batons", 5, FailedPatrolType::Multiple, 15, 2, 3, {1, 2, 3, 1, 1}},
        {"exactly a baton's worth", 3, FailedPatrolType::Single, 990, 20, 24, {66, 20, 24}},
    };
    for (const Row& r : rows) {
        TempWorkDir dir;
        WriteList(dir, "Alpha", Ids(r.checkpoints));
        FailedPatrolStore store;
        const FailedPatrolResult result = BuildFailedPatrolProgramme(
            dir.path(), "Alpha", r.type, r.round, r.p2, r.p3, kNow, kMessage42, store);
        EXPECT_EQ(result.status, FailedPatrolResult::Status::Prepared) << r.name;
        const auto taken = store.Take();
        ASSERT_TRUE(taken.has_value()) << r.name;
        EXPECT_EQ(Runs(taken->programme), r.runs) << r.name;
        EXPECT_EQ(result.storeLen, taken->programme.StoreLen()) << r.name;
    }
}

TEST(FailedPatrolProgramme, EveryEntryCarriesIdAndTheMomentThirtyDaysOn) {
    TempWorkDir dir;
    WriteList(dir, "Alpha", {"00A1B2", "12CDEF"});
    FailedPatrolStore store;
    BuildFailedPatrolProgramme(dir.path(), "Alpha", FailedPatrolType::Single, 15, 1, 1, kNow,
                               kMessage42, store);
    const auto taken = store.Take();
    ASSERT_TRUE(taken.has_value());
    const std::vector<FailedPatrolEntry> expected{{0x00, 0xA1, 0xB2, 0x04, 0xC4, 0x14, 0x07},
                                                  {0x12, 0xCD, 0xEF, 0x04, 0xC4, 0x14, 0x07}};
    EXPECT_EQ(taken->programme.entries, expected);
}

TEST(FailedPatrolProgramme, RefusedProgrammesLeaveTheWaitingOneAlone) {
    struct Row {
        const char* name;
        std::vector<std::string> ids; // empty: no checkpoint list at all
        int round;
        FailedPatrolResult::Status status;
        std::string message;
    } rows[] = {
        {"more than 110 entries", Ids(3), 990, FailedPatrolResult::Status::TooManyEntries,
         "The failed patrol programme would have 114 entries, but a baton holds at most 110. "
         "Choose a shorter round time or fewer checkpoints."},
        {"no checkpoint list",
         {},
         15,
         FailedPatrolResult::Status::NoCheckpointList,
         "There are no checkpoints in the site \"Alpha\""},
    };
    for (const Row& r : rows) {
        TempWorkDir dir;
        if (!r.ids.empty())
            WriteList(dir, "Alpha", r.ids);
        FailedPatrolStore store;
        FailedPatrolProgramme earlier;
        earlier.entries.push_back({1, 2, 3, 4, 5, 6, 7});
        store.SetPending(earlier);
        const FailedPatrolResult result =
            BuildFailedPatrolProgramme(dir.path(), "Alpha", FailedPatrolType::Single, r.round, 24,
                                       24, kNow, kMessage42, store);
        EXPECT_EQ(result.status, r.status) << r.name;
        EXPECT_EQ(result.message, r.message) << r.name;
        const auto taken = store.Take();
        ASSERT_TRUE(taken.has_value()) << r.name;
        EXPECT_EQ(taken->programme.entries, earlier.entries) << r.name;
    }
}

TEST(FailedPatrolProgramme, AnIdThatIsNotHexMakesNothingPending) {
    TempWorkDir dir;
    WriteList(dir, "Alpha", {"00A1B2", "00A1BX"});
    FailedPatrolStore store;
    EXPECT_THROW(BuildFailedPatrolProgramme(dir.path(), "Alpha", FailedPatrolType::Single, 15, 1, 1,
                                            kNow, kMessage42, store),
                 std::invalid_argument);
    EXPECT_FALSE(store.Pending());
}

TEST(FailedPatrolStore, DoneMarksOnlyTheProgrammeThatWasWritten) {
    FailedPatrolStore store;
    store.SetPending(FailedPatrolProgramme{});
    const auto writing = store.Take();
    ASSERT_TRUE(writing.has_value());
    store.SetPending(FailedPatrolProgramme{}); // prepared again while the first was written
    store.MarkDone(writing->generation);
    EXPECT_TRUE(store.Pending());
    store.MarkDone(store.Take()->generation);
    EXPECT_FALSE(store.Pending());
}

} // namespace
} // namespace veltrona::test
