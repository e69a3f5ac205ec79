#include "reports/Overview.h"
#include "reports/ReportBuilder.h"
#include "tests/reports/ReportsWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace veltrona;
using namespace veltrona::test;

namespace {

constexpr PdfColor headingBlue{167, 217, 255};

// One drawn row of an overview page, read back from the recording: the name cell gives the
// height, the time texts centred over the hour columns give the slots.
struct DrawnRow {
    int page = 0;
    std::string name;
    int lines = 0;
    std::map<int, std::vector<std::string>> slots;
};

bool isTime(const std::string& s) {
    return s.size() == 5 && s[2] == ':';
}

std::vector<DrawnRow> rowsOf(const PdfRecording& rec) {
    std::vector<DrawnRow> rows;
    const int doc = rec.documentsCreated;
    for (const auto& r : rec.rects) {
        if (r.document != doc || r.x != 30 || r.width != 158 || !(r.fill == headingBlue))
            continue;
        DrawnRow row;
        row.page = r.page;
        row.lines = static_cast<int>(std::lround(r.height / 15));
        for (const auto& t : rec.texts) {
            if (t.document != doc || t.page != r.page)
                continue;
            if (t.x == 35 && t.y == r.y + r.height / 2)
                row.name = t.text;
            else if (isTime(t.text) && t.y > r.y && t.y < r.y + r.height) {
                const double centre = t.x + 0.5 * t.size * static_cast<double>(t.text.size()) / 2;
                row.slots[static_cast<int>(std::lround((centre - 201) / 26))].push_back(t.text);
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// The first header line of each page of the last document.
std::vector<std::string> pageHeadersOf(const PdfRecording& rec) {
    std::vector<std::string> headers;
    for (const auto& t : rec.texts)
        if (t.document == rec.documentsCreated && t.x == 35 && t.y == 515)
            headers.push_back(t.text);
    return headers;
}

class OverviewTest : public ::testing::Test {
protected:
    OverviewTest() {
        w.site("Alpha", {{A, "Gate"}, {B, "Yard"}});
        request.site = "Alpha";
        request.type = ReportType::Overview;
        request.pdf = true;
    }
    void days(const DateTime& from, const DateTime& to, bool night) {
        request.startDate = from;
        request.endDate = to;
        request.nightShift = night;
        request.startTime = night ? "12h00" : "00h00";
        request.endTime = night ? "12h00" : "23h59";
    }
    ReportOutcome run() { return builder.CreateOpen(request); }
    std::vector<DrawnRow> rows() const { return rowsOf(*w.recording); }
    DrawnRow rowOf(const std::string& name, int page = 1) const {
        for (const auto& r : rows())
            if (r.name == name && r.page == page)
                return r;
        ADD_FAILURE() << "no row " << name << " on page " << page;
        return {};
    }

    static constexpr const char* A = "00A1B2";
    static constexpr const char* B = "00A1B3";
    ReportsWorld w;
    ReportBuilder builder{w.ws};
    ReportRequest request;
};

TEST_F(OverviewTest, DayShiftGivesAPagePerDayWithTheClockingsInTheirHours) {
    days(date(2011, 8, 9), date(2011, 8, 10), false);
    w.dayFile("Alpha", "110809", {rec(A, "110809", "0705"), rec(A, "110809", "0740")});
    w.dayFile("Alpha", "110810", {rec(A, "110810", "2310")});

    EXPECT_EQ(run(), ReportOutcome::Completed);

    EXPECT_EQ(pageHeadersOf(*w.recording), (std::vector<std::string>{"09/08/2011", "10/08/2011"}));
    const auto first = rowOf("Gate", 1);
    EXPECT_EQ(first.slots, (std::map<int, std::vector<std::string>>{{7, {"07:05", "07:40"}}}));
    EXPECT_EQ(first.lines, 2);
    EXPECT_EQ(rowOf("Gate", 2).slots, (std::map<int, std::vector<std::string>>{{23, {"23:10"}}}));
    EXPECT_EQ(w.recording->savedFiles.size(), 1u);
    ASSERT_EQ(w.shell.opened.size(), 1u);
    EXPECT_EQ(w.shell.opened[0], w.dir / "Report.pdf");
    EXPECT_TRUE(w.prompts.messages.empty());
}

TEST_F(OverviewTest, NightShiftRunsFromNoonToNoon) {
    days(date(2011, 8, 9), date(2011, 8, 10), true);
    w.dayFile("Alpha", "110809", {rec(A, "110809", "0900"), rec(A, "110809", "1830")});
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0315")});

    run();

    EXPECT_EQ(pageHeadersOf(*w.recording), std::vector<std::string>{"Start : 09/08/2011 12:00"});
    EXPECT_EQ(rowOf("Gate").slots,
              (std::map<int, std::vector<std::string>>{{6, {"18:30"}}, {15, {"03:15"}}}));
    // The prepared work file: its own header, the shift's records, "Done".
    EXPECT_EQ(w.workFile(), (std::vector<std::string>{"Night shift From 09/08/2011 to 10/08/2011",
                                                      rec(A, "110809", "1830"),
                                                      rec(A, "110810", "0315"), "Done"}));
}

TEST_F(OverviewTest, RowHeightFollowsTheLongestRun) {
    days(date(2011, 8, 9), date(2011, 8, 9), false);
    w.dayFile("Alpha", "110809",
              {rec(A, "110809", "0701"), rec(A, "110809", "0712"), rec(A, "110809", "0723"),
               rec(A, "110809", "0734"), rec(A, "110809", "0745"), rec(A, "110809", "0905")});

    run();

    auto gate = rowOf("Gate");
    EXPECT_EQ(gate.lines, 5);
    EXPECT_EQ(gate.slots[7].size(), 5u);
    EXPECT_EQ(gate.slots[9], std::vector<std::string>{"09:05"});
    const auto yard = rowOf("Yard"); // no clockings: still a row two lines high
    EXPECT_EQ(yard.lines, 2);
    EXPECT_TRUE(yard.slots.empty());
}

TEST_F(OverviewTest, IdenticalRecordsAreShownOnce) {
    // The flagged record between them cannot be placed and does not break the pair up.
    days(date(2011, 8, 8), date(2011, 8, 10), false);
    w.dayFile("Alpha", "110809",
              {rec(A, "110809", "0705", "111111"), rec(A, "110809", "C705"),
               rec(A, "110809", "0705", "222222"), rec(A, "110809", "0706")});

    run();

    EXPECT_EQ(rowOf("Gate", 1).slots[7], (std::vector<std::string>{"07:05", "07:06"}));
    EXPECT_EQ(w.prompts.messages.size(), 2u) << "no-data messages of the 8th and 10th";
}

TEST_F(OverviewTest, PointFilterDrawsTheChosenCheckpointOnly) {
    days(date(2011, 8, 9), date(2011, 8, 9), false);
    request.pointFilter = true;
    request.pointSelector = PointSelectorEntry(B, "Yard");
    w.dayFile("Alpha", "110809", {rec(A, "110809", "0705"), rec(B, "110809", "0810")});

    run();

    const auto drawn = rows();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].name, "Yard");
    EXPECT_EQ(drawn[0].slots, (std::map<int, std::vector<std::string>>{{8, {"08:10"}}}));
}

TEST_F(OverviewTest, NoonOnTheEndDateIsSelectedButOutsideTheShift) {
    days(date(2011, 8, 9), date(2011, 8, 10), true);
    w.dayFile("Alpha", "110810", {rec(A, "110810", "1200")});

    EXPECT_EQ(run(), ReportOutcome::NoData);

    EXPECT_EQ(builder.recordCount(), 1);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(w.recording->savedFiles.size(), 1u); // the empty document is still saved, opened
    EXPECT_EQ(w.shell.opened.size(), 1u);
    EXPECT_EQ(
        w.prompts.messages,
        (std::vector<std::string>{"No data Start : 09/08/2011 12:00  End : 10/08/2011 12:00",
                                  "No data\n\rFrom 12:00:00 09/08/2011 to 12:00:00 10/08/2011"}));
}

TEST_F(OverviewTest, NightRunStopsAtTheNextShiftsRecords) {
    // Only Gate is drawn, so its 03:00 and the next night's 03:15 follow each other in the file.
    days(date(2011, 8, 9), date(2011, 8, 11), true);
    request.pointFilter = true;
    request.pointSelector = PointSelectorEntry(A, "Gate");
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0300")});
    w.dayFile("Alpha", "110811", {rec(A, "110811", "0315")});

    run();

    EXPECT_EQ(rowOf("Gate", 1).slots, (std::map<int, std::vector<std::string>>{{15, {"03:00"}}}));
    EXPECT_EQ(rowOf("Gate", 2).slots, (std::map<int, std::vector<std::string>>{{15, {"03:15"}}}));
}

TEST_F(OverviewTest, CheckpointWithoutARowDoesNotHideLaterShifts) {
    // "00A1B9 =" has no location name: it ends the drawn point list.
    w.dir.writeLines("Alpha/checkpt.lst",
                     {"//Checkpoint list for Alpha", "", std::string(A) + " = Gate", "00A1B9 =", "",
                      "//End of File"});
    days(date(2011, 8, 9), date(2011, 8, 10), false);
    w.dayFile("Alpha", "110809", {rec("00A1B9", "110809", "0800")});
    w.dayFile("Alpha", "110810", {rec(A, "110810", "0900")});

    run();

    EXPECT_EQ(pageHeadersOf(*w.recording), std::vector<std::string>{"10/08/2011"});
    EXPECT_EQ(rowOf("Gate", 1).slots, (std::map<int, std::vector<std::string>>{{9, {"09:00"}}}));
}

TEST_F(OverviewTest, UnreadableRecordInTheWorkFileIsReportedAndPassedOver) {
    days(date(2011, 8, 9), date(2011, 8, 9), false);
    const std::string bad = rec(A, "111309", "0700"); // month 13
    w.dir.writeLines(
        "Raw.txt", {"Day shift", bad, rec(A, "110809", "0705"), rec(B, "110809", "0800"), "Done"});

    DrawOverview(w.ws, request);

    EXPECT_EQ(w.prompts.messages, std::vector<std::string>{"Error O=" + bad});
    EXPECT_EQ(rowOf("Gate").slots, (std::map<int, std::vector<std::string>>{{7, {"07:05"}}}));
    EXPECT_EQ(rowOf("Yard").slots, (std::map<int, std::vector<std::string>>{{8, {"08:00"}}}));
}

TEST(OverviewSlotsTest, SlotsOfDayAndNightShifts) {
    const std::int64_t d = daysFromCivil(2011, 8, 10);
    struct Case {
        const char* name;
        std::int64_t recordDay;
        int hour;
        bool night;
        std::optional<int> slot;
    };
    const Case cases[] = {
        {"day shift, same day", d, 7, false, 7},
        {"day shift, other day", d - 1, 7, false, std::nullopt},
        {"night, evening before", d - 1, 18, true, 6},
        {"night, morning", d, 3, true, 15},
        {"night, morning before", d - 1, 9, true, std::nullopt},
        {"night, evening of the day", d, 12, true, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HourSlot(c.recordDay, c.hour, d, c.night), c.slot) << c.name;

    const ShiftWindow night = ShiftWindowOf(d, true);
    EXPECT_TRUE(night.holds((d - 1) * 1440 + 720));
    EXPECT_FALSE(night.holds(d * 1440 + 720));
}

} // namespace
