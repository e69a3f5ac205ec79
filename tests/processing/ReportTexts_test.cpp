#include "app/MessageTable.h"
#include "app/Trace.h"
#include "platform/virtual/VirtualClock.h"
#include "processing/ReportTexts.h"

#include <gtest/gtest.h>

namespace veltrona::reporttext {
namespace {

class ReportTextsTest : public ::testing::Test {
protected:
    ReportTextsTest() : trace(clock, 0) {
        m.SetDefaultMessages(trace);
        for (int n : {154, 155, 156, 157, 158})
            m.Set(n, "M" + std::to_string(n));
    }
    VirtualClock clock;
    Trace trace;
    MessageTable m;
};

TEST_F(ReportTextsTest, FrequencyListsZeroCountsOfOwnCheckpointsOnlyInTheText) {
    Frequencies f;
    f.own = {{"123ABC", "Main gate", 3}, {"123ABD", "Back door", 0}};
    f.common = {{"0C0001", "Car park", 2}, {"0C0002", "Fence", 0}};
    const auto text = TextFrequencyReport(m, f);
    EXPECT_EQ(text, (std::vector<std::string>{
                        "", "", "Frequency Report :", "", "Frequency  Id Number  Name",
                        "3          (123ABC)   Main gate", "0          (123ABD)   Back door",
                        "2          (0C0001)   Car park", "-----------", "5"}));
    EXPECT_EQ(CsvFrequencyRows(f),
              (std::vector<std::string>{"\"123ABC\",\"Main gate\",3", "\"0C0001\",\"Car park\",2",
                                        "Total,,5"}));
}

struct WarningCase {
    const char* name;
    WarningCounts counts;
    std::vector<std::string> lines; // after the block's heading
};

class WarningsTest : public ReportTextsTest, public ::testing::WithParamInterface<WarningCase> {};

TEST_P(WarningsTest, Lines) {
    const auto& c = GetParam();
    EXPECT_TRUE(c.counts.any()) << c.name;
    std::vector<std::string> expected = {"", "", "  Warnings ", ""};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(TextWarningsBlock(m, c.counts), expected) << c.name;
    EXPECT_EQ(WarningLines(m, c.counts), c.lines) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Counts, WarningsTest,
    ::testing::Values(WarningCase{"Corrupt", {3, 0, 10}, {"3 Corupt Records Discarded"}},
                      WarningCase{"Reversals", {0, 2, 5000}, {"M157", "M158"}},
                      WarningCase{"MemoryWrap",
                                  {1, 1, 4001},
                                  {"1 Corupt Records Discarded", "M154", "M155", "M156"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ReportTextsTest, NoWarningsWithoutCorruptRecordsOrReversals) {
    EXPECT_FALSE((WarningCounts{0, 0, 4001}).any());
}

TEST_F(ReportTextsTest, UnitMarkerPrintsItsMinuteWithoutTheMarkerBit) {
    EXPECT_EQ(TextUnitMarker(m, "00000000004211080914F92"),
              (std::vector<std::string>{"----------", "2011/08/09 14:79  From Unit (0042)",
                                        "----------"}));
    EXPECT_EQ(TextUnitMarker(m, "0000000000421108091485")[1], "2011/08/09 14:05  From Unit (0042)");
}

TEST_F(ReportTextsTest, ClockingLinesByFlags) {
    Clocking c{"2011/08/09", "09:10", "00:05", "123ABC", "Main gate", true, false, false};
    EXPECT_EQ(TextClocking(m, c),
              std::vector<std::string>{"2011/08/09 09:10 00:05  (123ABC)   Main gate"});
    c.flagA = true;
    EXPECT_EQ(TextClocking(m, c),
              std::vector<std::string>{"2011/08/09 09:10 00:05  [123ABC]   Main gate"});
    std::string row;
    EXPECT_FALSE(CsvClockingRow(c, row));
    c.flagB = true;
    EXPECT_EQ(TextClocking(m, c),
              (std::vector<std::string>{"2011/08/09 09:10 00:05  <123ABC>   Main gate",
                                        std::string(60, '=')}));
}

} // namespace
} // namespace veltrona::reporttext
