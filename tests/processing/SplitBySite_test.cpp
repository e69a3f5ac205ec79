#include "processing/SplitBySite.h"
#include "sites/CheckpointTable.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

using Lines = std::vector<std::string>;

// A record of checkpoint `id` at 9 August 2011, hh:mm.
std::string rec(const std::string& id, const std::string& hhmm) {
    return "000000" + id + "110809" + hhmm + "5";
}
// A unit marker of unit 0042 (minute byte with bit 7 set).
std::string marker(const std::string& hhmm = "1480") {
    return "000000000042110809" + hhmm + "5";
}

// Sites: Alpha (0), Beta (1), common (2). Alpha and Beta both list 123ABC.
class SplitTest : public ::testing::Test {
protected:
    SplitTest() {
        table.setRow(0, {"AAAAAA", "123ABC"});
        table.setRow(1, {"BBBBBB", "123ABC"});
        table.setRow(2, {"CCCCCC"});
    }

    SplitResult split(const Lines& raw, const SplitOptions& options = SplitOptions::Store(),
                      SplitObserver* observer = nullptr) {
        dir.writeLines("Raw.txt", raw);
        return SplitBySite(dir / "Raw.txt", SplitContext{dir.path(), sites, table}, options,
                           observer);
    }

    test::TempWorkDir dir;
    SiteList sites{"Alpha", "Beta", "common"};
    CheckpointTable table;
};

TEST_F(SplitTest, RecordsGoToEverySiteListingTheirId) {
    const auto r = split({"Id : Brin0042", rec("AAAAAA", "1000"), rec("123ABC", "1001"),
                          rec("BBBBBB", "1002"), rec("999999", "1003"), "Done"});
    EXPECT_EQ(r.identity, "Brin0042");
    EXPECT_EQ(r.lines[0], (Lines{rec("AAAAAA", "1000"), rec("123ABC", "1001")}));
    EXPECT_EQ(r.lines[1], (Lines{rec("123ABC", "1001"), rec("BBBBBB", "1002")}));
    EXPECT_TRUE(r.lines[2].empty());
    EXPECT_TRUE(r.lines[3].empty()); // storing keeps no unknown records
    // The scratch files on disk hold the same.
    EXPECT_EQ(dir.readLines("0.$$$"), r.lines[0]);
    EXPECT_EQ(dir.readLines("1.$$$"), r.lines[1]);
    EXPECT_TRUE(fs::exists(dir / "3.$$$"));
    EXPECT_EQ(dir.readLines("Raw.txt").back(), "Done");
    EXPECT_EQ(dir.readLines("Raw.txt").size(), 6u); // "Done" not added twice
}

TEST_F(SplitTest, CommonClockingsFollowTheSiteOfTheLatestClocking) {
    const auto r =
        split({"Id : X", rec("CCCCCC", "0900"), rec("CCCCCC", "0901"), rec("AAAAAA", "0902"),
               rec("CCCCCC", "0903"), rec("BBBBBB", "0904"), rec("CCCCCC", "0905")});
    // Common clockings before any site's clocking move ahead of the first one.
    EXPECT_EQ(r.lines[0], (Lines{rec("CCCCCC", "0900"), rec("CCCCCC", "0901"),
                                 rec("AAAAAA", "0902"), rec("CCCCCC", "0903")}));
    EXPECT_EQ(r.lines[1], (Lines{rec("BBBBBB", "0904"), rec("CCCCCC", "0905")}));
    EXPECT_TRUE(r.lines[2].empty());
    // The last line was a record, not "Done": it is handled and "Done" appended.
    EXPECT_EQ(dir.readLines("Raw.txt").back(), "Done");
}

TEST_F(SplitTest, CommonClockingsWithoutAnySiteStayWithCommon) {
    const auto r = split({"Id : X", rec("CCCCCC", "0900"), rec("CCCCCC", "0901"), "Done"});
    EXPECT_EQ(r.lines[2], (Lines{rec("CCCCCC", "0900"), rec("CCCCCC", "0901")}));
}

TEST_F(SplitTest, MarkersTravelWithTheirRecordAndCorruptRecordsAreDropped) {
    const auto r =
        split({"Id : X", marker(), rec("AAAAAA", "1000"), rec("AAAAAA", "1A01"), marker("1481"),
               "000000AAAAAA11080910025x", rec("AAAAAA", "C003"), marker()});
    // The marker before a corrupt record goes with it; a marker on the last line is dropped.
    EXPECT_EQ(r.lines[0], (Lines{marker(), rec("AAAAAA", "1000"), rec("AAAAAA", "C003")}));
}

TEST_F(SplitTest, BadLinesNeverStopTheSplit) {
    const auto r = split({"", "Done", "x", "000000AAAAAA", std::string(100000, '\xff'),
                          "000000AAAAAA110809", "Id", "Id", rec("AAAAAA", "1000")});
    EXPECT_EQ(r.lines[0], (Lines{rec("AAAAAA", "1000")}));
}

TEST_F(SplitTest, EmptyFilesAndLoneIdLines) {
    for (const Lines& raw : {Lines{}, Lines{"Id : X"}}) {
        const auto r = split(raw);
        for (const auto& l : r.lines)
            EXPECT_TRUE(l.empty());
        EXPECT_EQ(dir.readLines("Raw.txt").back(), "Done");
    }
}

TEST_F(SplitTest, RowsBeyondTheSiteListAreIgnored) {
    table.setRow(5, {"DDDDDD"});
    const auto r = split({rec("DDDDDD", "1000"), "Done"});
    for (const auto& l : r.lines)
        EXPECT_TRUE(l.empty());
}

// The hooks processing builds on: every match and miss is reported, and a refused match
// leaves the common-site bookkeeping alone.
class RecordingObserver : public SplitObserver {
public:
    void onLineRead(const std::string&) override { ++linesRead; }
    void onIdLine(const std::string& line) override { idLines.push_back(line); }
    bool acceptMatch(int site, const std::string& line) override {
        events.push_back("match " + std::to_string(site) + " " + line.substr(6, 6));
        return line.substr(6, 6) != "BBBBBB";
    }
    void onCorruptMatch(int site, const std::string&) override {
        events.push_back("corrupt " + std::to_string(site));
    }
    void onUnmatched(const std::string& line, bool corrupt) override {
        events.push_back(std::string(corrupt ? "unknown corrupt " : "unknown ") +
                         line.substr(6, 6));
    }
    int linesRead = 0;
    Lines idLines;
    Lines events;
};

TEST_F(SplitTest, ProcessOptionsAndHooks) {
    RecordingObserver obs;
    const auto r = split({"Id : X", rec("CCCCCC", "0900"), "MissingLine", rec("BBBBBB", "0901"),
                          rec("AAAAAA", "0902"), marker(), rec("999999", "0903"),
                          "000000999999110809090x", rec("AAAAAA", "0904")},
                         SplitOptions::Process(), &obs);
    EXPECT_EQ(obs.idLines, Lines{"Id : X"});
    EXPECT_EQ(obs.events, (Lines{"match 2 CCCCCC", "match 1 BBBBBB", "match 0 AAAAAA",
                                 "unknown 999999", "unknown corrupt 999999"}));
    // The refused Beta clocking did not take the pending common clocking.
    EXPECT_EQ(r.lines[0], (Lines{rec("CCCCCC", "0900"), rec("AAAAAA", "0902")}));
    EXPECT_TRUE(r.lines[1].empty());
    // Unknown records are kept with their marker; the last line is never a record.
    EXPECT_EQ(r.lines[3], (Lines{marker(), rec("999999", "0903")}));
    EXPECT_EQ(dir.readLines("3.$$$"), r.lines[3]);
    EXPECT_EQ(obs.linesRead, 8); // every line but the gap line
}

TEST_F(SplitTest, DeleteScratchFilesRemovesEveryIndex) {
    split({"Done"});
    DeleteScratchFiles(dir.path(), 3);
    for (int i = 0; i <= 3; ++i)
        EXPECT_FALSE(fs::exists(ScratchFilePath(dir.path(), i))) << i;
}

} // namespace
