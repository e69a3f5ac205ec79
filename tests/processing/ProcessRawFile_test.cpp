#include "platform/FileError.h"
#include "processing/DoRaw.h"
#include "processing/SplitBySite.h"
#include "sites/CheckpointList.h"
#include "tests/processing/ProcessTestSupport.h"

#include <algorithm>

namespace veltrona::test {
namespace {

class ProcessRawFileTest : public ProcessTest {
protected:
    void SetUp() override {
        ws.settings.secureReports = false;
        ws.settings.openReportAfterProcessing = false;
    }
    void oneSite(const std::vector<std::string>& lines = {"123ABC = Main gate",
                                                          "123ABD = Back door"}) {
        addSite({"Site", lines});
        startUp();
    }
    // Time column (hh:mm) of every listing line that shows a clocking.
    std::vector<std::string> listedTimes(const std::string& site = "Site") const {
        std::vector<std::string> times;
        for (const auto& l : listing(siteFile(site, "txt")))
            if (l.size() > 16 && l[4] == '/' && l.find("From Unit") == std::string::npos)
                times.push_back(l.substr(11, 5));
        return times;
    }
    std::vector<std::string> checkpointLines(const std::string& site) const {
        std::vector<std::string> out;
        for (const auto& c : ReadCheckpoints(dir.path(), site))
            out.push_back(c.id + " " + c.mark + " " + c.name);
        return out;
    }
};

// The duplicate rule compares with the last record kept, so a run in consecutive minutes keeps
// every other one.
struct DuplicateCase {
    const char* name;
    bool removeDuplicates;
    std::vector<std::string> minutes;
    std::vector<std::string> listed;
};

class DuplicateRuleTest : public ProcessRawFileTest,
                          public ::testing::WithParamInterface<DuplicateCase> {};

TEST_P(DuplicateRuleTest, KeepsTheExpectedClockings) {
    const auto& c = GetParam();
    oneSite();
    ws.settings.removeDuplicatePoints = c.removeDuplicates;
    std::vector<std::string> raw = {"Id : Brin0042"};
    for (const auto& m : c.minutes)
        raw.push_back(Rec("123ABC", "110809", "10", m));
    raw.push_back("Done");
    process(raw);
    EXPECT_EQ(listedTimes(), c.listed) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, DuplicateRuleTest,
    ::testing::Values(
        DuplicateCase{"ConsecutiveMinutesOn", true, {"00", "01", "02", "03"}, {"10:00", "10:02"}},
        DuplicateCase{"ConsecutiveMinutesOff",
                      false,
                      {"00", "01", "02", "03"},
                      {"10:00", "10:01", "10:02", "10:03"}},
        DuplicateCase{"SameMinuteOn", true, {"05", "05"}, {"10:05"}},
        DuplicateCase{"TwoMinutesApartOn", true, {"05", "07"}, {"10:05", "10:07"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ProcessRawFileTest, FirstRecordEqualToTheInitialPreviousRecordIsADuplicate) {
    oneSite({"123456 = Test point"});
    ws.settings.removeDuplicatePoints = true;
    process({"Id : Brin0042", Rec("123456", "000101", "01", "01"), "Done"});
    EXPECT_FALSE(textfile::fileExists(dir / "Site/08091405.txt")) << "dropped: no data";

    ws.settings.removeDuplicatePoints = false;
    process({"Id : Brin0042", Rec("123456", "000101", "01", "01"), "Done"});
    EXPECT_EQ(listedTimes(), std::vector<std::string>{"01:01"});
}

TEST_F(ProcessRawFileTest, RecordOfTwoSitesGoesToTheFirstOnlyWhenDuplicatesAreRemoved) {
    addSite({"A", {"123ABC = Shared gate"}});
    addSite({"B", {"123ABC = Shared gate"}});
    startUp();
    for (bool remove : {true, false}) {
        ws.settings.removeDuplicatePoints = remove;
        clock.setNow(DateTime{2011, 8, 9, 14, remove ? 5 : 6, 0, 0});
        process({"Id : Brin0042", Rec("123ABC", "110809", "10", "00"), "Done"});
        const std::string stamp = remove ? "08091405" : "08091406";
        EXPECT_TRUE(textfile::fileExists(dir / ("A/" + stamp + ".txt"))) << remove;
        EXPECT_EQ(textfile::fileExists(dir / ("B/" + stamp + ".txt")), !remove) << remove;
    }
}

// One reversal among more than 4000 records is the baton's memory wrapping round.
struct ReversalCase {
    const char* name;
    int records;
    std::vector<int> warningMessages;
};

class ReversalTest : public ProcessRawFileTest,
                     public ::testing::WithParamInterface<ReversalCase> {};

TEST_P(ReversalTest, WarnsOfTheClockGoingBack) {
    const auto& c = GetParam();
    oneSite();
    std::vector<std::string> raw = {"Id : Brin0042"};
    for (int i = 0; i < c.records - 1; ++i) {
        const int minutes = 3 * i;
        raw.push_back(Rec("123ABC", "1108" + twoDigits(1 + minutes / 1440),
                          twoDigits(minutes / 60 % 24), twoDigits(minutes % 60)));
    }
    raw.push_back(Rec("123ABD", "110801", "00", "01")); // earlier than the one before
    raw.push_back("Done");
    process(raw);

    std::vector<std::string> expected;
    for (int n : c.warningMessages)
        expected.push_back(ws.messages.Message(n));
    const auto report = siteFile("Site", "txt");
    const auto heading = std::find(report.begin(), report.end(), " " + ws.messages.Message(72));
    ASSERT_NE(heading, report.end()) << c.name;
    EXPECT_EQ(std::vector<std::string>(heading + 2, heading + 2 + expected.size()), expected)
        << c.name;
    const auto csv = siteFile("Site", "csv");
    EXPECT_NE(std::search(csv.begin(), csv.end(), expected.begin(), expected.end()), csv.end())
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(Records, ReversalTest,
                         ::testing::Values(ReversalCase{"Reversal4000", 4000, {157, 158}},
                                           ReversalCase{"MemoryWrap4001", 4001, {154, 155, 156}}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ProcessRawFileTest, FlaggedHourRecordOfAnEarlierTimeIsNoReversal) {
    oneSite();
    // C9 is hour 09 with both flags: later than 08:59 although "C" is no decimal digit.
    process({"Id : Brin0042", Rec("123ABC", "110809", "08", "59"),
             Rec("123ABD", "110809", "C9", "10"), "Done"});
    const auto report = siteFile("Site", "txt");
    EXPECT_EQ(std::find(report.begin(), report.end(), " " + ws.messages.Message(72)), report.end());
    EXPECT_EQ(listing(report)[1].substr(0, 35), "2011/08/09 09:10 00:11  <123ABD>   ");
    EXPECT_EQ(listing(report)[2], std::string(60, '='));
}

// The interval shown next to the second of two clockings (day, hour byte, minute each).
struct IntervalCase {
    const char* name;
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::string interval;
};

class IntervalTest : public ProcessRawFileTest,
                     public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(IntervalTest, SecondClocking) {
    const auto& c = GetParam();
    oneSite();
    process({"Id : Brin0042", Rec("123ABC", c.first[0], c.first[1], c.first[2]),
             Rec("123ABD", c.second[0], c.second[1], c.second[2]), "Done"});
    const auto lines = listing(siteFile("Site", "txt"));
    ASSERT_GE(lines.size(), 2u) << c.name;
    EXPECT_EQ(lines[1].substr(17, 5), c.interval) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Clockings, IntervalTest,
    ::testing::Values(
        IntervalCase{
            "MinutesBorrowAnHour", {"110809", "22", "25"}, {"110809", "23", "20"}, "00:55"},
        IntervalCase{"HoursOfTwoDigits", {"110809", "01", "05"}, {"110809", "13", "10"}, "12:05"},
        IntervalCase{"FlaggedHours", {"110809", "81", "05"}, {"110809", "C9", "10"}, "08:05"},
        IntervalCase{"ClockBackSameDay", {"110809", "10", "00"}, {"110809", "09", "30"}, "     "},
        IntervalCase{"NextDay", {"110809", "23", "50"}, {"110810", "00", "10"}, "     "},
        IntervalCase{"AfterYearZero", {"000809", "10", "00"}, {"000809", "10", "30"}, "     "}),
    [](const auto& p) { return std::string(p.param.name); });

// Ids the site's list lacks get a numbered name and join the list.
struct LookupCase {
    const char* name;
    std::string id;
    int message; // of the name given to an unknown Id; 0: found in a list
    std::string listedName;
};

class NameLookupTest : public ProcessRawFileTest,
                       public ::testing::WithParamInterface<LookupCase> {};

TEST_P(NameLookupTest, NamesTheClocking) {
    const auto& c = GetParam();
    addSite({"common", {"0C0001 = Main gate"}});
    addSite({"Site", {"123ABC = Front", "123ABD = Back", c.id + " = Was here"}});
    startUp();
    // The table still lists the Id; its line is then taken out of the list, and a second line of
    // 123ABD shows that the last match wins.
    addSite({"Site", {"123ABC = Front", "123ABD = Back", "123ABD = Back stairs"}});
    if (c.message == 0)
        addSite({"Site",
                 {"123ABC = Front", "123ABD = Back", "123ABD = Back stairs",
                  c.id + " = Was "
                         "here"}});
    process({"Id : Brin0042", Rec(c.id, "110809", "10", "00"), Rec("123ABD", "110809", "10", "05"),
             "Done"});

    // Three own entries and one common entry were looked at: the number is 5.
    const std::string expected =
        c.message == 0 ? c.listedName : "5 " + ws.messages.Message(c.message);
    const auto lines = listing(siteFile("Site", "txt"));
    ASSERT_EQ(lines.size(), 2u) << c.name;
    EXPECT_EQ(lines[0].substr(35), expected) << c.name;
    EXPECT_EQ(lines[1].substr(35), "Back stairs") << c.name;
    const auto list = checkpointLines("Site");
    if (c.message == 0)
        EXPECT_EQ(list.size(), 4u) << c.name;
    else
        EXPECT_EQ(list.back(), c.id + " = " + expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Ids, NameLookupTest,
                         ::testing::Values(LookupCase{"RemovedLine", "777777", 23, ""},
                                           LookupCase{"BatonUploaded", "000000", 81, ""},
                                           LookupCase{"FailedPatrol2", "0FA502", 176, ""},
                                           LookupCase{"FailedPatrol4", "0FA504", 178, ""},
                                           LookupCase{"StillListed", "777777", 0, "Was here"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ProcessRawFileTest, UnknownIdOfAUnitMarkerJoinsTheListAndPrintsAsMarker) {
    oneSite();
    process({"Id : Brin0042", Rec("000042", "110809", "10", "85"),
             Rec("123ABC", "110809", "10", "07"), "Done"});
    EXPECT_EQ(checkpointLines("Site").back(), "000042 = 3 " + ws.messages.Message(23));
    const auto lines = listing(siteFile("Site", "txt"));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "2011/08/09 10:05  " + ws.messages.Message(38) + " (0042)");
    EXPECT_EQ(lines[3].substr(0, 16), "2011/08/09 10:07");
    // The marker opens the period; its minute counts without the marker bit (not "10:85").
    const auto csv = siteFile("Site", "csv");
    ASSERT_GE(csv.size(), 4u);
    EXPECT_EQ(csv[2], "From,2011/08/09 10:05");
    EXPECT_EQ(csv[3], "To,2011/08/09 10:07");
}

// Common clockings with no other site's clocking stay with the common site, whose own list is
// the common list.
TEST_F(ProcessRawFileTest, CommonSiteReportCountsItsCheckpointsOnce) {
    addSite({"Site", {"123ABC = Front"}});
    addSite({"Common", {"0C0001 = Gate", "0C0002 = Fence"}});
    startUp();
    process({"Id : Brin0042", Rec("0C0001", "110809", "10", "00"),
             Rec("0C0001", "110809", "10", "30"), "Done"});
    const auto report = siteFile("Common", "txt");
    const auto heading = std::find(report.begin(), report.end(), ws.messages.Message(25));
    ASSERT_NE(heading, report.end());
    EXPECT_EQ(std::vector<std::string>(heading + 1, heading + 5),
              (std::vector<std::string>{"2          (0C0001)   Gate", "0          (0C0002)   Fence",
                                        "-----------", "2"}));
    const auto csv = siteFile("Common", "csv");
    const auto rows = std::find(csv.begin(), csv.end(), "Code,Pointname,Times clocked");
    ASSERT_NE(rows, csv.end());
    EXPECT_EQ(std::vector<std::string>(rows + 1, rows + 3),
              (std::vector<std::string>{"\"0C0001\",\"Gate\",2", "Total,,2"}));
}

struct LastLineCase {
    const char* name;
    std::vector<std::string> raw;
    std::vector<std::string> listed;
    std::vector<std::string> rawAfter;
};

class LastLineTest : public ProcessRawFileTest,
                     public ::testing::WithParamInterface<LastLineCase> {};

TEST_P(LastLineTest, CompleteLastRecordIsReportedAndDoneAppended) {
    const auto& c = GetParam();
    oneSite();
    process(c.raw);
    EXPECT_EQ(listedTimes(), c.listed) << c.name;
    EXPECT_EQ(dir.readLines("Raw.txt"), c.rawAfter) << c.name;
}

const std::string R1 = Rec("123ABC", "110809", "10", "00");
const std::string R2 = Rec("123ABD", "110809", "10", "05");

INSTANTIATE_TEST_SUITE_P(
    Files, LastLineTest,
    ::testing::Values(LastLineCase{"EndsWithDone",
                                   {"Id : Brin0042", R1, R2, "Done"},
                                   {"10:00", "10:05"},
                                   {"Id : Brin0042", R1, R2, "Done"}},
                      LastLineCase{"CrashAfterARecord",
                                   {"Id : Brin0042", R1, R2},
                                   {"10:00", "10:05"},
                                   {"Id : Brin0042", R1, R2, "Done"}},
                      LastLineCase{"CutShort",
                                   {"Id : Brin0042", R1, R2.substr(0, 15)},
                                   {"10:00"},
                                   {"Id : Brin0042", R1, R2.substr(0, 15), "Done"}},
                      LastLineCase{"GapLinesSkipped",
                                   {"Id : Brin0042", R1, "MissingLine", "Extra Line", R2, "Done"},
                                   {"10:00", "10:05"},
                                   {"Id : Brin0042", R1, "MissingLine", "Extra Line", R2, "Done"}}),
    [](const auto& p) { return std::string(p.param.name); });

// When a report is opened and an upload logged.
struct OpenCase {
    const char* name;
    bool secure;
    bool openAfter;
    bool failedPatrolPending;
    bool clearMemory;
    std::string filetype;
    std::string opened; // file name, empty: nothing
    std::string logged; // action text, empty: no line
};

class OpenAndLogTest : public ProcessRawFileTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenAndLogTest, FollowsTheSettings) {
    const auto& c = GetParam();
    oneSite();
    ws.settings.secureReports = c.secure;
    ws.settings.openReportAfterProcessing = c.openAfter;
    ws.settings.clearVeltronaMemory = c.clearMemory;
    ws.settings.filetype = c.filetype;
    ws.failedPatrolPending = c.failedPatrolPending;
    process({"Id : Brin0042", R1, "Done"});

    if (c.opened.empty()) {
        EXPECT_TRUE(shell.opened.empty()) << c.name;
    } else {
        ASSERT_EQ(shell.opened.size(), 1u) << c.name;
        EXPECT_EQ(shell.opened[0], dir / "Site" / c.opened) << c.name;
    }
    if (c.logged.empty()) {
        EXPECT_FALSE(textfile::fileExists(dir / "LG201108.txt")) << c.name;
    } else {
        EXPECT_EQ(dir.readLines("LG201108.txt"),
                  std::vector<std::string>{"\"2011/08/09 14:05.00\",\"Site\",\"" + c.logged + "\""})
            << c.name;
    }
    // Whatever the settings, the three reports are written.
    for (const char* ext : {"txt", "csv", "pdf"})
        EXPECT_TRUE(textfile::fileExists(dir / "Site" / (std::string("08091405.") + ext)))
            << c.name << " " << ext;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, OpenAndLogTest,
    ::testing::Values(OpenCase{"TextReport", false, true, false, true, "txt", "08091405.txt",
                               "Veltrona Uploaded and cleared Id : Brin0042"},
                      OpenCase{"CsvReport", false, true, false, true, "csv", "08091405.csv",
                               "Veltrona Uploaded and cleared Id : Brin0042"},
                      OpenCase{"SecurePdf", true, true, false, true, "txt", "08091405.pdf",
                               "Veltrona Uploaded and cleared Id : Brin0042"},
                      OpenCase{"NotOpened", false, false, false, false, "txt", "",
                               "Veltrona Uploaded and Not cleared Id : Brin0042"},
                      OpenCase{"FailedPatrolPending", true, true, true, true, "txt", "", ""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ProcessRawFileTest, ShellFailureDoesNotStopTheLogLine) {
    struct FailingShell : RecordingShell {
        void open(const std::filesystem::path&) override { throw std::runtime_error("no viewer"); }
    };
    oneSite();
    // A second workspace on a shell that cannot open anything.
    FailingShell failing;
    Workspace w(WorkspaceServices{clock, locale, prompts, failing, trace, pdf}, dir.path(),
                captions, batonNames, table);
    w.messages = ws.messages;
    w.settings = ws.settings;
    w.settings.openReportAfterProcessing = true;
    w.sites = ws.sites;
    w.idLabelText = ws.idLabelText;
    ProcessRawFile(w, writeRaw({"Id : Brin0042", R1, "Done"}));
    EXPECT_EQ(dir.readLines("LG201108.txt").size(), 1u);
}

TEST_F(ProcessRawFileTest, SecondRunInTheSameMinuteAppendsAfterTheDashesLine) {
    oneSite();
    process({"Id : Brin0042", R1, "Done"});
    const auto first = siteFile("Site", "txt");
    const auto firstCsv = siteFile("Site", "csv");
    process({"Id : Brin0042", R1, "Done"});
    for (const auto& [after, before] : {std::pair{siteFile("Site", "txt"), first},
                                        std::pair{siteFile("Site", "csv"), firstCsv}}) {
        ASSERT_EQ(after.size(), 2 * before.size() + 3);
        EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + before.size()), before);
        EXPECT_EQ(after[before.size()], "");
        EXPECT_EQ(after[before.size() + 1], "   ---   ---   ---   ---   ---   ---   ---   ---");
        EXPECT_EQ(after[before.size() + 2], "");
    }
    EXPECT_EQ(dir.readLines("LG201108.txt").size(), 2u);
}

TEST_F(ProcessRawFileTest, CombinedModeAppendsToProcessedCsvAndStartsProcessedTxtAfresh) {
    oneSite();
    const std::vector<std::string> raw = {"Id : Site 09/08/2011 to 09/08/2011 all points",
                                          CheckedRec("123ABC", "110809", "10", "00")};
    process(raw);
    const auto txt = dir.readLines("Processed.txt");
    const auto csv = dir.readLines("Processed.csv");
    process(raw);
    EXPECT_EQ(dir.readLines("Processed.txt"), txt);
    const auto csv2 = dir.readLines("Processed.csv");
    ASSERT_EQ(csv2.size(), 2 * csv.size() + 3);
    EXPECT_EQ(csv2[csv.size() + 1], "   ---   ---   ---   ---   ---   ---   ---   ---");
    EXPECT_FALSE(textfile::fileExists(dir / "LG201108.txt"));
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1], dir / "Processed.txt");
}

// A round start draws its separator line in the PDF (after more than one row) unless the listing
// is sorted by checkpoint; the point filter does not take it away.
struct PdfRoundCase {
    const char* name;
    const char* idLine;
    bool pointFilter;
    bool separatorLine;
};

class PdfRoundStartTest : public ProcessRawFileTest,
                          public ::testing::WithParamInterface<PdfRoundCase> {};

TEST_P(PdfRoundStartTest, SeparatorLineInThePdf) {
    const auto& c = GetParam();
    oneSite({"123ABC # Front", "123ABD = Back"});
    ws.pointFilter = c.pointFilter;
    process({std::string(c.idLine) + "Site 09/08/2011 to 09/08/2011 all points",
             CheckedRec("123ABC", "110809", "10", "00"), CheckedRec("123ABD", "110809", "10", "05"),
             CheckedRec("123ABD", "110809", "10", "10"), CheckedRec("123ABC", "110809", "11", "00"),
             "Done"});
    // Rows at 730, 720 and 710; the fourth row starts a round at 700, its line 5 points above.
    const auto calls = recording->documentCalls(1);
    const bool line = std::find(calls.begin(), calls.end(), "moveTo 40 705") != calls.end();
    EXPECT_EQ(line, c.separatorLine) << c.name;
    EXPECT_NE(std::find(calls.begin(), calls.end(),
                        c.separatorLine ? "textOut 85 692 [11:00 00:50]"
                                        : "textOut 85 702 [11:00 00:50]"),
              calls.end())
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(Listings, PdfRoundStartTest,
                         ::testing::Values(PdfRoundCase{"Unsorted", "Id : ", false, true},
                                           PdfRoundCase{"Sorted", "Ids: ", false, false},
                                           PdfRoundCase{"PointFilter", "Id : ", true, true}),
                         [](const auto& p) { return std::string(p.param.name); });

class CombinedNoDataTest : public ProcessRawFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CombinedNoDataTest, ShowsMessage150AndOpensNothing) {
    oneSite();
    ws.settings.secureReports = GetParam();
    process({"Id : Site 09/08/2011 to 09/08/2011 all points"});
    EXPECT_EQ(prompts.messages, std::vector<std::string>{ws.messages.Message(150)});
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_FALSE(textfile::fileExists(dir / "Report.pdf"));
}

INSTANTIATE_TEST_SUITE_P(SecureReports, CombinedNoDataTest, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "On" : "Off"; });

TEST_F(ProcessRawFileTest, FailureLeavesTheWindowUsableAndTheScratchFilesInPlace) {
    oneSite();
    // A directory where the text report should go: the report cannot be written.
    std::filesystem::create_directories(dir / "Site/08091405.txt");
    EXPECT_THROW(process({"Id : Brin0042", R1, "Done"}), FileError);
    EXPECT_FALSE(prompts.progressVisible);
    EXPECT_FALSE(prompts.busy);
    EXPECT_TRUE(textfile::fileExists(ScratchFilePath(dir.path(), 0)));
}

TEST_F(ProcessRawFileTest, ProgressAndScratchFilesOfASuccessfulRun) {
    oneSite();
    process({"Id : Brin0042", R1, R2, "Done"});
    EXPECT_EQ(prompts.statusText, ws.messages.Message(37));
    EXPECT_EQ(prompts.led, Prompts::Led::Lime);
    EXPECT_FALSE(prompts.progressVisible);
    EXPECT_FALSE(prompts.busy);
    EXPECT_FALSE(textfile::fileExists(ScratchFilePath(dir.path(), 0)));
    EXPECT_FALSE(textfile::fileExists(ScratchFilePath(dir.path(), 1)));
}

TEST_F(ProcessRawFileTest, DoRawStoresTheDayFilesThenReportsRawTxt) {
    oneSite();
    writeRaw({"Id : Brin0042", R1, R2});
    DoRaw(ws);
    EXPECT_EQ(dir.readLines("Site/Raw/110809.txt"),
              (std::vector<std::string>{R1.substr(0, 22), R2.substr(0, 22)}));
    EXPECT_EQ(listedTimes(), (std::vector<std::string>{"10:00", "10:05"}));
    EXPECT_EQ(dir.readLines("Raw.txt").back(), "Done");
}

} // namespace
} // namespace veltrona::test
