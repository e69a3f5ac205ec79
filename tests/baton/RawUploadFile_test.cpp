#include "baton/RawUploadFile.h"
#include "platform/FileError.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

using Block = std::array<std::uint8_t, 8>;

DateTime day(int y, int m, int d) {
    DateTime t;
    t.year = y;
    t.month = m;
    t.day = d;
    return t;
}

struct LineCase {
    const char* label;
    Block block;
    int pktCount;
    DateTime today;
    std::string line;
};

class ClockingLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ClockingLineTest, Layout) {
    const auto& c = GetParam();
    EXPECT_EQ(ClockingLine(c.block, c.pktCount, c.today), c.line);
}

INSTANTIATE_TEST_SUITE_P(Blocks, ClockingLineTest,
                         ::testing::Values(
                             // November block in March: last year; in December: this year.
                             LineCase{"november_in_march",
                                      {0x01, 0xA2, 0x3F, 0x11, 0x05, 0x08, 0x30, 0xEE},
                                      3,
                                      day(2010, 3, 3),
                                      "00000001A23F0911050830"
                                      "3"},
                             LineCase{"november_in_december",
                                      {0x01, 0xA2, 0x3F, 0x11, 0x05, 0x08, 0x30, 0},
                                      3,
                                      day(2010, 12, 20),
                                      "00000001A23F1011050830"
                                      "3"},
                             LineCase{"december_in_january",
                                      {0, 0, 1, 0x12, 0x31, 0x23, 0x59, 0},
                                      2,
                                      day(2011, 1, 15),
                                      "0000000000011012312359"
                                      "2"},
                             LineCase{"january_in_january",
                                      {0, 0, 1, 0x01, 0x15, 0x00, 0x00, 0},
                                      2,
                                      day(2011, 1, 15),
                                      "0000000000011101150000"
                                      "2"},
                             // High bits of the month and day bytes are masked off; 92 is December.
                             LineCase{"month_high_bits",
                                      {0, 0, 1, 0x92, 0xC9, 0x00, 0x00, 0},
                                      2,
                                      day(2011, 6, 1),
                                      "0000000000011012090000"
                                      "2"},
                             LineCase{"hour_flags_kept",
                                      {0xFF, 0xFF, 0xFF, 0x05, 0x01, 0xC7, 0x85, 0},
                                      5,
                                      day(2011, 6, 1),
                                      "000000FFFFFF110501C785"
                                      "5"},
                             LineCase{"block_100",
                                      {0, 0, 1, 0x01, 0x01, 0, 0, 0},
                                      100,
                                      day(2011, 6, 1),
                                      "0000000000011101010000"
                                      "0"},
                             LineCase{"block_101",
                                      {0, 0, 1, 0x01, 0x01, 0, 0, 0},
                                      101,
                                      day(2011, 6, 1),
                                      "0000000000011101010000"
                                      "1"},
                             LineCase{"block_99",
                                      {0, 0, 1, 0x01, 0x01, 0, 0, 0},
                                      99,
                                      day(2011, 6, 1),
                                      "0000000000011101010000"
                                      "99"}),
                         [](const auto& p) { return std::string(p.param.label); });

TEST(BlockMonth, BcdAboveTenIsConverted) {
    EXPECT_EQ(BlockMonth(0x09), 9);
    EXPECT_EQ(BlockMonth(0x10), 10);
    EXPECT_EQ(BlockMonth(0x12), 12);
    EXPECT_EQ(BlockMonth(0xF2), 12);
    EXPECT_EQ(InferBlockYear(0x12, day(2011, 12, 1)), 2011);
}

class RawUploadFileTest : public ::testing::Test {
protected:
    test::TempWorkDir dir;
    RawUploadFile raw = RawUploadFile::InWorkDir(dir.path());
};

TEST_F(RawUploadFileTest, StartTruncatesAndAppendWritesWholeLines) {
    dir.writeLines("Raw.txt", {"Id : OLD",
                               "0000000000011101010000"
                               "2",
                               "Done"});
    raw.start("Id : Brin0042");
    raw.appendClocking({0x01, 0xA2, 0x3F, 0x11, 0x05, 0x08, 0x30, 0}, 2, day(2010, 3, 3));
    raw.appendClocking({0x01, 0xA2, 0x3F, 0x11, 0x05, 0x08, 0x31, 0}, 3, day(2010, 3, 3));
    EXPECT_EQ(dir.readBytes("Raw.txt"), "Id : Brin0042\r\n00000001A23F0911050830"
                                        "2\r\n00000001A23F0911050831"
                                        "3\r\n");
    EXPECT_FALSE(raw.isProcessed());
    EXPECT_EQ(raw.lastLine(), "00000001A23F0911050831"
                              "3");
}

TEST_F(RawUploadFileTest, UsesTheOnDiskSpelling) {
    dir.writeLines("RAW.TXT", {"Id : X"});
    const RawUploadFile other = RawUploadFile::InWorkDir(dir.path());
    EXPECT_EQ(other.path().filename(), "RAW.TXT");
    EXPECT_EQ(other.lines(), std::vector<std::string>{"Id : X"});
}

TEST_F(RawUploadFileTest, AppendDoneIsALineOfItsOwn) {
    struct Case {
        const char* label;
        std::string before, after;
    } cases[] = {
        {"ended_line", "Id : X\r\nrec\r\n", "Id : X\r\nrec\r\nDone\r\n"},
        {"no_line_end", "Id : X\r\nrec", "Id : X\r\nrec\r\nDone\r\n"},
        {"bare_lf", "Id : X\nrec\n", "Id : X\nrec\nDone\r\n"},
        {"already_done", "Id : X\r\nDone\r\n", "Id : X\r\nDone\r\n"},
        {"programme_end", "Done", "Done"},
        {"empty", "", "Done\r\n"},
        {"done_not_last", "Done\r\nrec\r\n", "Done\r\nrec\r\nDone\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        dir.writeBytes("Raw.txt", c.before);
        raw.appendDone();
        EXPECT_EQ(dir.readBytes("Raw.txt"), c.after);
        EXPECT_TRUE(raw.isProcessed());
    }
}

TEST_F(RawUploadFileTest, ProgrammeEndIsDoneWithoutLineEnd) {
    raw.start("Id : X");
    raw.writeProgrammeEnd();
    EXPECT_EQ(dir.readBytes("Raw.txt"), "Done");
    EXPECT_TRUE(raw.isProcessed());
}

TEST_F(RawUploadFileTest, MissingFileReadsEmptyAndWritesFail) {
    EXPECT_TRUE(raw.lines().empty());
    EXPECT_EQ(raw.lastLine(), "");
    const RawUploadFile nowhere(dir / "missing" / "Raw.txt");
    EXPECT_THROW(nowhere.start("Id : X"), FileError);
    EXPECT_THROW(nowhere.appendClocking({}, 2, day(2011, 1, 1)), FileError);
    EXPECT_THROW(nowhere.appendDone(), FileError);
}

} // namespace
