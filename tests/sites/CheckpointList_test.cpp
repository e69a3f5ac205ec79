#include "platform/FileError.h"
#include "sites/CheckpointList.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

std::vector<std::string> listOf(const std::vector<std::string>& checkpoints,
                                const std::vector<std::string>& settings) {
    std::vector<std::string> lines{"//Checkpoint list for A", ""};
    lines.insert(lines.end(), checkpoints.begin(), checkpoints.end());
    lines.emplace_back();
    lines.insert(lines.end(), settings.begin(), settings.end());
    lines.emplace_back();
    lines.emplace_back("//End of File");
    return lines;
}

class CheckpointListTest : public ::testing::Test {
protected:
    CheckpointListTest() { fs::create_directories(dir / "A/Raw"); }
    test::TempWorkDir dir;
};

TEST_F(CheckpointListTest, SkeletonReadsAsEmptyListWithZeroSettings) {
    dir.writeLines("A/checkpt.lst", {"//Checkpoint list for Veltrona", "", "", "//End of file"});
    const auto data = LoadCheckpointList(dir.path(), "A");
    EXPECT_TRUE(data.checkpoints.empty());
    EXPECT_EQ(data.patrolSeparator, 0);
    ASSERT_TRUE(data.settings);
    EXPECT_EQ(data.settings->roundTime, "000");
    EXPECT_EQ(data.settings->restTime, "000");
    EXPECT_EQ(data.settings->numBatons, "0");
    EXPECT_EQ(data.settings->failedPatrolType, 0);
    for (const auto& t : data.settings->times)
        EXPECT_EQ(t, "00h00");
}

TEST_F(CheckpointListTest, MissingFileGetsTheEditorSkeletonAndNoSettings) {
    const auto data = LoadCheckpointList(dir.path(), "A");
    EXPECT_FALSE(data.settings);
    EXPECT_EQ(dir.readBytes("A/checkpt.lst"),
              "//Checkpoint list for A\r\n\r\n\r\n//End of File\r\n");
}

TEST_F(CheckpointListTest, SaveAndLoadRoundTrip) {
    SiteSettings s;
    s.roundTime = "30";
    s.restTime = "010";
    s.numBatons = "2";
    s.failedPatrolType = 2;
    for (int d = 0; d < 7; ++d) {
        s.startTime(d) = "06h00";
        s.finishTime(d) = "18h30";
    }
    s.finishTime(6) = "  h  ";
    const std::vector<Checkpoint> cps{{"123ABC", '=', "Main gate"},
                                      {"000000", '=', "------ Baton Uploaded ------"},
                                      {"0FA501", '#', "Back door \xe9"}};
    SaveCheckpointList(dir.path(), "A", cps, s);

    const auto lines = dir.readLines("A/checkpt.lst");
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[0], "//Checkpoint list for A");
    EXPECT_EQ(lines[2], "123ABC = Main gate");
    EXPECT_EQ(lines[6], "Round Time  = 30");
    EXPECT_EQ(lines[8], "Num Batons  = 2");
    EXPECT_EQ(lines[9], "FP Type     = 2");
    EXPECT_EQ(lines[23], "FT Sun      =   h  ");
    EXPECT_EQ(lines[25], "//End of File");

    const auto data = LoadCheckpointList(dir.path(), "A");
    EXPECT_EQ(data.checkpoints, cps);
    EXPECT_EQ(data.patrolSeparator, 3);
    ASSERT_TRUE(data.settings);
    SiteSettings expected = s;
    expected.roundTime = "030";
    expected.finishTime(6) = "00h00";
    EXPECT_EQ(*data.settings, expected);
}

TEST_F(CheckpointListTest, LastHashMarkIsTheSeparatorAndShortValuesArePadded) {
    dir.writeLines("A/checkpt.lst",
                   listOf({"111111 # One", "222222 = Two", "333333 # Three"},
                          {"Round Time  = 5", "Rest Time   = 15 x", "Num Batons  = 34",
                           "FP Type     = 1", "ST Mon      = 6h00"}));
    const auto data = LoadCheckpointList(dir.path(), "A");
    EXPECT_EQ(data.patrolSeparator, 3);
    ASSERT_TRUE(data.settings);
    EXPECT_EQ(data.settings->roundTime, "005");
    EXPECT_EQ(data.settings->restTime, "015"); // a space ends the value
    EXPECT_EQ(data.settings->numBatons, "3");
    EXPECT_EQ(data.settings->failedPatrolType, 1);
    EXPECT_EQ(data.settings->startTime(0), "06h00");
    EXPECT_EQ(data.settings->finishTime(0),
              "00h00"); // the empty line, the end line, then past the end
    EXPECT_EQ(data.settings->finishTime(6), "00h00");
}

TEST_F(CheckpointListTest, NineCharacterLineEndsTheSection) {
    // A checkpoint with an empty name: the readers stop there, the following lines are settings.
    dir.writeLines("A/checkpt.lst",
                   {"h", "", "111111 = One", "222222 = ", "Round Time  = 015", "333333 = Three"});
    const auto data = LoadCheckpointList(dir.path(), "A");
    EXPECT_EQ(data.checkpoints, (std::vector<Checkpoint>{{"111111", '=', "One"}}));
    EXPECT_EQ(data.settings->roundTime, "015");
    EXPECT_EQ(ReadCheckpoints(dir.path(), "A").size(), 1u);
}

TEST_F(CheckpointListTest, DamagedFilesReadWithoutFailing) {
    const std::vector<std::vector<std::string>> files = {
        {},
        {"only header"},
        {"h", "", "x"},
        {"h", "", "111111 = One", "", "FP Type     = 9"},
        {"h", "", "", "", "", "", "FP Type     = x"},
        {"h", "", std::string(5000, '\xff')},
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE("file " + std::to_string(i));
        dir.writeLines("A/checkpt.lst", files[i]);
        const auto data = LoadCheckpointList(dir.path(), "A");
        ASSERT_TRUE(data.settings);
        EXPECT_GE(data.settings->failedPatrolType, 0);
        EXPECT_EQ(data.settings->times[13], "00h00");
    }
}

TEST_F(CheckpointListTest, SaveRefusesLinesReadersWouldMisread) {
    dir.writeLines("A/checkpt.lst", {"old"});
    const std::vector<std::vector<Checkpoint>> bad = {
        {{"123ABC", '=', ""}}, {{"12345", '=', "Short id"}}, {{"123ABC", '=', "two\r\nlines"}}};
    for (const auto& cps : bad) {
        EXPECT_THROW(SaveCheckpointList(dir.path(), "A", cps, SiteSettings{}),
                     std::invalid_argument);
        EXPECT_EQ(dir.readLines("A/checkpt.lst"), std::vector<std::string>{"old"});
    }
}

TEST_F(CheckpointListTest, SaveKeepsTheOnDiskSpelling) {
    dir.writeLines("A/CHECKPT.LST", {"old"});
    SaveCheckpointList(dir.path(), "A", {}, SiteSettings{});
    EXPECT_FALSE(fs::exists(dir / "A/checkpt.lst"));
    EXPECT_EQ(dir.readLines("A/CHECKPT.LST").size(), 23u);
}

struct SettingCase {
    const char* label;
    std::string line;
    std::string value;
};

class SiteSettingValueTest : public ::testing::TestWithParam<SettingCase> {};

TEST_P(SiteSettingValueTest, ValueFromPosition15ToTheFirstSpace) {
    EXPECT_EQ(SiteSettingValue(GetParam().line), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SiteSettingValueTest,
    ::testing::Values(SettingCase{"digits", "Round Time  = 015", "015"},
                      SettingCase{"unfilled_time", "FT Sun      =   h  ", "0"},
                      SettingCase{"end_line", "//End of File", "0"}, SettingCase{"empty", "", "0"},
                      SettingCase{"exactly_14", "Num Batons  = ", "0"},
                      SettingCase{"space_ends", "ST Mon      = 06h00 extra", "06h00"},
                      SettingCase{"label_ignored", "FT Mon  junk=:07h15", "07h15"}),
    [](const auto& p) { return std::string(p.param.label); });

TEST(ReadSiteSetting, ReadsPastTheEndAsZero) {
    std::istringstream in("Round Time  = 015\r\n");
    EXPECT_EQ(ReadSiteSetting(in), "015");
    EXPECT_EQ(ReadSiteSetting(in), "0");
    EXPECT_EQ(ReadSiteSetting(in), "0");
}

TEST_F(CheckpointListTest, InsertOnSkeletonAndTwiceKeepsTheRest) {
    dir.writeLines("A/checkpt.lst", {"//Checkpoint list for Veltrona", "", "", "//End of file"});
    std::vector<std::string> steps;
    InsertCheckpointLine(dir.path(), "A", "123ABC", "Unknown checkpoint",
                         [&](std::string_view s) { steps.emplace_back(s); });
    EXPECT_EQ(dir.readLines("A/checkpt.lst"),
              (std::vector<std::string>{"//Checkpoint list for Veltrona", "",
                                        "123ABC = Unknown checkpoint", "", "//End of file"}));
    EXPECT_EQ(steps, (std::vector<std::string>{"3", "4", "Button added"}));

    InsertCheckpointLine(dir.path(), "A", "000000", "------ Baton Uploaded ------");
    EXPECT_EQ(dir.readLines("A/checkpt.lst"),
              (std::vector<std::string>{
                  "//Checkpoint list for Veltrona", "", "123ABC = Unknown checkpoint",
                  "000000 = ------ Baton Uploaded ------", "", "//End of file"}));
    // The working file stays in the working directory with the last result.
    EXPECT_EQ(dir.readLines("checkpt.$$$"), dir.readLines("A/checkpt.lst"));
}

TEST_F(CheckpointListTest, InsertAfterTheLastCheckpointBeforeTheSettings) {
    const auto settings = std::vector<std::string>{"Round Time  = 015", "Rest Time   = 010"};
    dir.writeLines("A/Checkpt.lst", listOf({"111111 = One", "222222 # Two"}, settings));
    InsertCheckpointLine(dir.path(), "A", "333333", "Three");
    EXPECT_FALSE(fs::exists(dir / "A/checkpt.lst"));
    EXPECT_EQ(dir.readLines("A/Checkpt.lst"),
              listOf({"111111 = One", "222222 # Two", "333333 = Three"}, settings));
    const auto data = LoadCheckpointList(dir.path(), "A");
    EXPECT_EQ(data.checkpoints.size(), 3u);
    EXPECT_EQ(data.settings->roundTime, "015");
}

TEST_F(CheckpointListTest, InsertOnFilesCutShort) {
    struct Case {
        const char* label;
        std::vector<std::string> before, after;
    } cases[] = {
        {"no_end_line", {"h", "", "111111 = One"}, {"h", "", "111111 = One", "222222 = New", ""}},
        {"header_only", {"h"}, {"h", "", "222222 = New", ""}},
        {"empty", {}, {"", "", "222222 = New", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        dir.writeLines("A/checkpt.lst", c.before);
        InsertCheckpointLine(dir.path(), "A", "222222", "New");
        EXPECT_EQ(dir.readLines("A/checkpt.lst"), c.after);
    }
}

TEST_F(CheckpointListTest, InsertWithoutAListFailsAndCreatesNone) {
    EXPECT_THROW(InsertCheckpointLine(dir.path(), "A", "123ABC", "x"), FileError);
    EXPECT_FALSE(fs::exists(dir / "A/checkpt.lst"));
    EXPECT_THROW(InsertCheckpointLine(dir.path(), "A", "123ABC", ""), std::invalid_argument);
}

} // namespace
