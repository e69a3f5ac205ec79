#include "reports/ReportBuilder.h"
#include "reports/ReportSelection.h"
#include "tests/reports/ReportsWorld.h"

#include "platform/FileError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace veltrona;
using namespace veltrona::test;

namespace {

struct LineCase {
    const char* name;
    std::string line;
    DayRole role;
    LineVerdict verdict;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name << " [" << c.line << "]";
}

class SelectLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(SelectLineTest, TakesTheLinesInsideTheRange) {
    const auto& c = GetParam();
    // Start 10h30 on the start day, end 08h00 on the end day.
    EXPECT_EQ(SelectLine(c.line, c.role, TimeOfDay{10, 30}, TimeOfDay{8, 0}), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectLineTest,
    ::testing::Values(
        LineCase{"StartMinuteBefore", rec("00A1B2", "110809", "1029"), DayRole::Start,
                 LineVerdict::Skip},
        LineCase{"StartMinuteItself", rec("00A1B2", "110809", "1030"), DayRole::Start,
                 LineVerdict::Copy},
        LineCase{"StartLaterHour", rec("00A1B2", "110809", "2359"), DayRole::Start,
                 LineVerdict::Copy},
        // "B5" is minute 35 with the unit-marker flag: taken; "95" is minute 15: too early.
        LineCase{"StartFlaggedMinuteAfter", rec("00A1B2", "110809", "10B5"), DayRole::Start,
                 LineVerdict::Copy},
        LineCase{"StartFlaggedMinuteBefore", rec("00A1B2", "110809", "1095"), DayRole::Start,
                 LineVerdict::Skip},
        LineCase{"EndMinuteItself", rec("00A1B2", "110811", "0800"), DayRole::End,
                 LineVerdict::Copy},
        LineCase{"EndMinuteAfter", rec("00A1B2", "110811", "0801"), DayRole::End,
                 LineVerdict::Skip},
        LineCase{"EndFlaggedMinute", rec("00A1B2", "110811", "0780"), DayRole::End,
                 LineVerdict::Copy},
        LineCase{"FlaggedHourOnStartDay", rec("00A1B2", "110809", "C530"), DayRole::Start,
                 LineVerdict::Error},
        LineCase{"HourOutOfRange", rec("00A1B2", "110811", "2400"), DayRole::End,
                 LineVerdict::Error},
        LineCase{"MinuteOutOfRange", rec("00A1B2", "110811", "0760"), DayRole::End,
                 LineVerdict::Error},
        LineCase{"TwentyOneCharacters", rec("00A1B2", "110809", "1130").substr(0, 21),
                 DayRole::Start, LineVerdict::Error},
        LineCase{"FlaggedHourBetween", rec("00A1B2", "110810", "C530"), DayRole::Between,
                 LineVerdict::Copy},
        LineCase{"ZeroRecordOnEndDay", ZeroRecord, DayRole::End, LineVerdict::Copy}),
    [](const ::testing::TestParamInfo<LineCase>& p) { return std::string(p.param.name); });

TEST(DayFileNameTest, NamesTheDayByTwoDigitYearMonthAndDay) {
    EXPECT_EQ(DayFileName(date(2011, 8, 9)), "110809.Txt");
    EXPECT_EQ(DayFileName(date(2000, 1, 1)), "000101.Txt");
}

TEST(PointFilterIdTest, TakesTheIdOutOfTheSelectorEntry) {
    EXPECT_EQ(PointFilterId("(00A1B2) Main gate"), "00A1B2");
    EXPECT_EQ(PointFilterId(""), "000000");
}

// The clocking list over a site "Alpha" with checkpoints A, B, C, processing replaced by a hook
// that records the file it is given and the point filter it sees.
class ClockingListTest : public ::testing::Test {
protected:
    ClockingListTest() {
        w.site("Alpha", {{A, "Gate"}, {B, "Yard"}, {C, "Roof"}});
        request.site = "Alpha";
        request.type = ReportType::ClockingList;
        request.startDate = date(2011, 8, 9);
        request.endDate = date(2011, 8, 11);
        request.startTime = "10h30";
        request.endTime = "08h00";
        request.pdf = false;
        request.sortByCheckpoint = false;
    }

    ReportOutcome run() { return builder.CreateOpen(request); }

    static constexpr const char* A = "00A1B2";
    static constexpr const char* B = "00A1B3";
    static constexpr const char* C = "00A1B4";
    ReportsWorld w;
    std::vector<std::filesystem::path> processed;
    std::vector<bool> filterSeen;
    std::vector<bool> panel;
    ReportBuilder builder{w.ws,
                          {[this](const std::filesystem::path& f) {
                               processed.push_back(f);
                               filterSeen.push_back(w.ws.pointFilter);
                           },
                           [this](bool on) { panel.push_back(on); },
                           [this] { ++uploadsProcessed; }}};
    ReportRequest request;
    int uploadsProcessed = 0;
};

TEST_F(ClockingListTest, ThreeDaysFromTheStartTimeToTheEndTime) {
    w.dayFile("Alpha", "110809",
              {rec(A, "110809", "1029"), rec(B, "110809", "1030"), rec(C, "110809", "2200")});
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0000"), rec(B, "110810", "2359")});
    w.dayFile("Alpha", "110811",
              {rec(C, "110811", "0800"), rec(A, "110811", "0801"), rec(B, "110811", "1200")});

    EXPECT_EQ(run(), ReportOutcome::Completed);

    const std::vector<std::string> expected{"Id : From 10:30:00 09/08/2011 to 08:00:00 11/08/2011",
                                            rec(B, "110809", "1030"),
                                            rec(C, "110809", "2200"),
                                            rec(A, "110810", "0000"),
                                            rec(B, "110810", "2359"),
                                            rec(C, "110811", "0800"),
                                            "Done"};
    EXPECT_EQ(w.workFile(), expected);
    EXPECT_EQ(builder.recordCount(), 5);
    ASSERT_EQ(processed.size(), 1u);
    EXPECT_TRUE(std::filesystem::equivalent(processed[0], w.dir / "Raw.txt"));
    EXPECT_EQ(w.prompts.statusText, "Processing Data...");
    EXPECT_EQ(panel, (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(w.prompts.messages.empty());
}

TEST_F(ClockingListTest, UnprocessedUploadIsOfferedForProcessingBeforeTheWorkFileReplacesIt) {
    struct Case {
        const char* name;
        std::vector<std::string> raw; // empty: no Raw.txt
        bool answer;
        bool asked;
        int processed;
    };
    const std::vector<Case> cases{
        {"no_raw_file", {}, true, false, 0},
        {"processed", {"Id : 1234ABCD", rec(A, "110809", "1100") + "2", "Done"}, true, false, 0},
        {"unprocessed_yes", {"Id : 1234ABCD", rec(A, "110809", "1100") + "2"}, true, true, 1},
        {"unprocessed_no", {"Id : 1234ABCD", rec(A, "110809", "1100") + "2"}, false, true, 0},
    };
    w.ws.messages.Set(18, "Not processed");
    w.ws.messages.Set(19, "Process it now?");
    w.dayFile("Alpha", "110809", {rec(B, "110809", "1030")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(w.dir / "Raw.txt");
        if (!c.raw.empty())
            w.dir.writeLines("Raw.txt", c.raw);
        w.prompts.confirmations.clear();
        w.prompts.confirmAnswers = {c.answer};
        uploadsProcessed = 0;
        run();
        EXPECT_EQ(w.prompts.confirmations,
                  c.asked ? std::vector<std::string>{"Not processed\rProcess it now?"}
                          : std::vector<std::string>{});
        EXPECT_EQ(uploadsProcessed, c.processed);
        EXPECT_EQ(w.workFile().back(), "Done");
    }
}

TEST_F(ClockingListTest, SameDayIsBoundedByTheStartTimeOnly) {
    request.endDate = request.startDate;
    request.endTime = "08h00";
    w.dayFile("Alpha", "110809",
              {rec(A, "110809", "0700"), rec(A, "110809", "1100"), rec(A, "110809", "2300")});

    run();

    EXPECT_EQ(builder.recordCount(), 2);
    const auto lines = w.workFile();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], rec(A, "110809", "1100"));
    EXPECT_EQ(lines[2], rec(A, "110809", "2300"));
}

TEST_F(ClockingListTest, FlaggedMinuteIsTestedWithoutItsFlagAndCopiedUnchanged) {
    request.endDate = request.startDate;
    request.startTime = "10h15";
    w.dayFile("Alpha", "110809", {rec(A, "110809", "1014"), rec(A, "110809", "1095")});

    run();

    EXPECT_EQ(w.workFile()[1], rec(A, "110809", "1095"));
    EXPECT_EQ(builder.recordCount(), 1);
}

TEST_F(ClockingListTest, SortsByCheckpointInListOrderKeepingArrivalOrder) {
    request.sortByCheckpoint = true;
    w.dayFile("Alpha", "110810",
              {rec(C, "110810", "0100"), rec(A, "110810", "0200"), rec(B, "110810", "0300"),
               rec(C, "110810", "0400"), rec(A, "110810", "0500"),
               rec("99FFFF", "110810", "0600")});

    run();

    const std::vector<std::string> expected{"Ids: From10:30:00 09/08/2011to08:00:00 11/08/2011",
                                            rec(A, "110810", "0200"),
                                            rec(A, "110810", "0500"),
                                            rec(B, "110810", "0300"),
                                            rec(C, "110810", "0100"),
                                            rec(C, "110810", "0400"),
                                            "Done"};
    EXPECT_EQ(w.workFile(), expected);
    EXPECT_EQ(builder.recordCount(), 6); // the unlisted Id was selected, then dropped
    // Each checkpoint's records are left in its scratch file, the unlisted Id's too.
    EXPECT_EQ(w.dir.readLines("00A1B3.$$$"), (std::vector<std::string>{rec(B, "110810", "0300")}));
    EXPECT_EQ(w.dir.readLines("99FFFF.$$$").size(), 1u);
}

TEST_F(ClockingListTest, ScratchFilesHoldOnlyTheLatestRunsRecords) {
    request.sortByCheckpoint = true;
    w.dayFile("Alpha", "110810",
              {rec(A, "110810", "0100"), rec(A, "110810", "0200"), rec(A, "110810", "0300")});
    run();
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0400")});
    run();

    EXPECT_EQ(w.dir.readLines("00A1B2.$$$"), std::vector<std::string>{rec(A, "110810", "0400")});
    EXPECT_EQ(w.dir.readBytes("00A1B3.$$$"), "");
}

TEST_F(ClockingListTest, CheckpointListedTwiceListsItsRecordsOnce) {
    w.site("Alpha", {{A, "Gate"}, {B, "Yard"}, {A, "Gate again"}});
    request.sortByCheckpoint = true;
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0100"), rec(B, "110810", "0200")});

    run();

    EXPECT_EQ(w.workFile().size(), 4u);
}

TEST_F(ClockingListTest, PointFilterKeepsTheChosenCheckpointOnly) {
    request.pointFilter = true;
    request.pointSelector = PointSelectorEntry(A, "Gate");
    w.dayFile("Alpha", "110810",
              {rec(B, "110810", "0100"), rec(A, "110810", "0200"), rec(C, "110810", "0300")});

    run();

    const auto lines = w.workFile();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 5), "Ids: ");
    EXPECT_EQ(lines[1], rec(A, "110810", "0200"));
    EXPECT_EQ(filterSeen, std::vector<bool>{true});
}

TEST_F(ClockingListTest, ShortLineBecomesAZeroRecordThatSortingDrops) {
    w.dayFile("Alpha", "110810", {"12345", rec(A, "110810", "0200")});

    run();
    EXPECT_EQ(w.workFile()[1], ZeroRecord);
    EXPECT_EQ(builder.recordCount(), 2);

    request.sortByCheckpoint = true;
    run();
    EXPECT_EQ(w.workFile(),
              (std::vector<std::string>{w.workFile()[0], rec(A, "110810", "0200"), "Done"}));
    EXPECT_EQ(builder.recordCount(), 2);
}

TEST_F(ClockingListTest, NoDayFilesShowsTheRangeAndProcessesNothing) {
    EXPECT_EQ(run(), ReportOutcome::NoData);

    EXPECT_EQ(w.workFile().size(), 2u);
    EXPECT_EQ(w.workFile()[1], "Done");
    EXPECT_TRUE(processed.empty());
    EXPECT_EQ(w.prompts.messages, std::vector<std::string>{"No data\n\rFrom 10:30:00 09/08/2011 to "
                                                           "08:00:00 11/08/2011"});
}

TEST_F(ClockingListTest, MissingRawDirectoryIsNoData) {
    std::filesystem::remove_all(w.dir / "Alpha/Raw");
    EXPECT_EQ(run(), ReportOutcome::NoData);
}

TEST_F(ClockingListTest, DayFileNamesMatchWithoutRegardToCase) {
    w.dir.writeLines("Alpha/Raw/110810.TXT", {rec(A, "110810", "0200")});
    run();
    EXPECT_EQ(builder.recordCount(), 1);
}

TEST_F(ClockingListTest, BadLineOnABoundedDayShowsItsMessageAndIsLeftOut) {
    w.dayFile("Alpha", "110809", {rec(A, "110809", "C530"), rec(A, "110809", "1130")});
    w.dayFile("Alpha", "110811", {rec(A, "110811", "4A00")});

    run();

    EXPECT_EQ(w.prompts.messages, (std::vector<std::string>{"Bad line", "Bad line"}));
    EXPECT_EQ(builder.recordCount(), 1);
}

TEST_F(ClockingListTest, MissingCheckpointListStopsTheSortingWithAFileError) {
    std::filesystem::remove(w.dir / "Alpha/checkpt.lst");
    request.sortByCheckpoint = true;
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0200")});

    EXPECT_THROW(run(), FileError);
    EXPECT_FALSE(builder.running());
    EXPECT_EQ(panel.back(), false);
    EXPECT_TRUE(processed.empty());
}

TEST_F(ClockingListTest, InvalidTimeTextLeavesTheWorkFileAlone) {
    w.dir.writeLines("Raw.txt", {"Id : 1234ABCD", rec(A, "110810", "0200")});
    request.startTime = "25h00";

    EXPECT_THROW(run(), ReportTimeError);
    EXPECT_EQ(w.workFile().size(), 2u);
}

TEST_F(ClockingListTest, PdfOffRemovesTheOldReportPdf) {
    w.dir.writeLines("Report.pdf", {"old"});
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0200")});
    run();
    EXPECT_FALSE(std::filesystem::exists(w.dir / "Report.pdf"));

    request.pdf = true;
    w.dir.writeLines("Report.pdf", {"old"});
    run();
    EXPECT_TRUE(std::filesystem::exists(w.dir / "Report.pdf"));
    EXPECT_TRUE(w.ws.settings.secureReports);
}

TEST_F(ClockingListTest, OldReportPdfThatCannotBeRemovedStopsEverything) {
    // A non-empty directory of that name cannot be removed as a file.
    w.dir.writeLines("Report.pdf/inside.txt", {"x"});
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0200")});

    EXPECT_EQ(run(), ReportOutcome::OldReportLocked);

    EXPECT_EQ(w.prompts.messages, std::vector<std::string>{"Cannot delete Report.pdf"});
    EXPECT_FALSE(std::filesystem::exists(w.dir / "Raw.txt"));
    EXPECT_TRUE(processed.empty());
}

// Prompts that press Create/Open again while the first run processes events.
struct PressingAgain : RecordingPrompts {
    std::function<void()> press;
    void processEvents() override {
        RecordingPrompts::processEvents();
        if (press) {
            auto p = std::move(press);
            press = nullptr;
            p();
        }
    }
};

TEST(CreateOpenTest, SecondPressWhileRunningIsRefused) {
    ReportsWorld w;
    PressingAgain prompts;
    Workspace ws{WorkspaceServices{w.clock, w.locale, prompts, w.shell, w.trace, w.pdf},
                 w.dir.path(), w.captions, w.batonNames, w.table};
    ws.messages = w.ws.messages;
    w.site("Alpha", {{"00A1B2", "Gate"}});
    w.dayFile("Alpha", "110809", {rec("00A1B2", "110809", "1200")});
    int processedRuns = 0;
    ReportBuilder builder(ws, {[&](const std::filesystem::path&) { ++processedRuns; }, {}, {}});
    ReportRequest request;
    request.site = "Alpha";
    request.type = ReportType::ClockingList;
    request.startDate = request.endDate = date(2011, 8, 9);
    request.startTime = "00h00";
    ReportRequest second = request;
    ReportOutcome inner = ReportOutcome::Completed;
    prompts.press = [&] { inner = builder.CreateOpen(second); };

    EXPECT_EQ(builder.CreateOpen(request), ReportOutcome::Completed);
    EXPECT_EQ(inner, ReportOutcome::Refused);
    EXPECT_EQ(processedRuns, 1);
    EXPECT_FALSE(builder.running());
}

class ByDownloadTest : public ::testing::Test {
protected:
    ByDownloadTest() {
        w.site("Alpha", {{"00A1B2", "Gate"}});
        w.dir.writeLines("Alpha/08091405.txt", {"text"});
        w.dir.writeLines("Alpha/08091405.pdf", {"pdf"});
        request.site = "Alpha";
        request.type = ReportType::ByDownload;
        request.selectedDownloads = {{"", "", "notes.txt"},
                                     {"2011/08/09", "14:05", "08091405.pdf"},
                                     {"2011/08/10", "09:00", "08100900.pdf"}};
    }
    ReportsWorld w;
    ReportBuilder builder{w.ws};
    ReportRequest request;
};

TEST_F(ByDownloadTest, PdfOnOpensThePdfEvenWhenTheTextExists) {
    request.pdf = true;
    EXPECT_EQ(builder.CreateOpen(request), ReportOutcome::DownloadsOpened);

    // The misnamed file's row is passed over; a missing report is handed to the viewer as is.
    const std::vector<std::filesystem::path> expected{w.dir / "Alpha/08091405.pdf",
                                                      w.dir / "Alpha/08100900.pdf"};
    EXPECT_EQ(w.shell.opened, expected);
    EXPECT_TRUE(request.selectedDownloads.empty());
    EXPECT_FALSE(std::filesystem::exists(w.dir / "Raw.txt"));
}

TEST_F(ByDownloadTest, PdfOffOpensTheTextWhenItExists) {
    request.pdf = false;
    builder.CreateOpen(request);

    const std::vector<std::filesystem::path> expected{w.dir / "Alpha/08091405.txt",
                                                      w.dir / "Alpha/08100900.pdf"};
    EXPECT_EQ(w.shell.opened, expected);
}

} // namespace
