#include "processing/pdfprint.h"

#include "app/MessageTable.h"
#include "platform/DateTime.h"
#include "platform/FileError.h"
#include "platform/LocaleFormats.h"
#include "platform/TextFile.h"
#include "platform/virtual/RecordingPdfWriter.h"
#include "platform/virtual/VirtualClock.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace veltrona;

namespace {

constexpr PdfColor black{0, 0, 0};
constexpr PdfColor grey{128, 128, 128};
constexpr PdfColor titleBrown{165, 42, 42};
constexpr PdfColor brandRed{255, 0, 0};
constexpr PdfColor headingBlue{167, 217, 255};
constexpr PdfColor rowGreen{128, 224, 128};
constexpr PdfColor tableOrange{224, 128, 0};
constexpr PdfColor tableYellow{224, 224, 0};
constexpr PdfColor hourGreen{158, 255, 115};

std::string describe(const RecordedText& t) {
    return "[" + t.text + "] page " + std::to_string(t.page) + " at (" + std::to_string(t.x) +
           ", " + std::to_string(t.y) + ") " + t.font + " " + std::to_string(t.size);
}

// The recorded width metric: half the font size per byte.
double widthOf(const std::string& s, double size) {
    return 0.5 * size * static_cast<double>(s.size());
}

class PdfPrintTest : public ::testing::Test {
protected:
    // A fresh layout on a fresh recording, with the texts the layout prints.
    PdfPrint& restart() {
        rec = std::make_shared<PdfRecording>();
        pdf = std::make_unique<PdfPrint>(RecordingPdfWriter::factory(rec), clock, formats);
        MessageTable messages;
        messages.Set(165, "Patrol Systems");
        messages.Set(166, "Date");
        messages.Set(167, "Time");
        messages.Set(168, "Location");
        messages.Set(169, "Page");
        pdf->SetPdfTexts(messages);
        return *pdf;
    }

    // Every text drawn with exactly this content, in drawing order.
    std::vector<RecordedText> textsOf(const std::string& s) const {
        std::vector<RecordedText> found;
        for (const auto& t : rec->texts)
            if (t.text == s)
                found.push_back(t);
        return found;
    }
    // The single text drawn with this content; fails the test when there is not exactly one.
    RecordedText onlyText(const std::string& s) const {
        const auto found = textsOf(s);
        EXPECT_EQ(found.size(), 1u) << "text [" << s << "]";
        return found.empty() ? RecordedText{} : found.front();
    }
    bool hasLine(double x1, double y1, double x2, double y2, int page = 1) const {
        for (const auto& l : rec->lines)
            if (l.page == page && l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2)
                return true;
        return false;
    }
    const RecordedRect* findRect(double x, double y, double w, double h, int page = 1) const {
        for (const auto& r : rec->rects)
            if (r.page == page && r.x == x && r.y == y && r.width == w && r.height == h)
                return &r;
        return nullptr;
    }
    int pagesOfLastDocument() const {
        int pages = 0;
        for (const auto& c : rec->documentCalls(rec->documentsCreated))
            pages += c == "addPage" ? 1 : 0;
        return pages;
    }
    void addRows(int count, const std::string& date = "09/08/11") {
        for (int i = 1; i <= count; ++i)
            pdf->AddClockingRow(date, "10:00 +00:01", "R" + std::to_string(i), false);
    }

    VirtualClock clock{DateTime{2011, 8, 9, 10, 0, 0, 0}};
    FixedLocaleFormats formats;
    std::shared_ptr<PdfRecording> rec;
    std::unique_ptr<PdfPrint> pdf;
    void SetUp() override { restart(); }
};

struct ExpectedText {
    const char* text;
    double x, y;
    const char* font;
    double size;
    PdfColor fill;
};

void expectTexts(const PdfPrintTest& t, const std::vector<ExpectedText>& cases,
                 const std::function<std::vector<RecordedText>(const std::string&)>& find) {
    (void)t;
    for (const auto& e : cases) {
        SCOPED_TRACE(e.text);
        const auto found = find(e.text);
        ASSERT_FALSE(found.empty());
        const auto& got = found.front();
        EXPECT_DOUBLE_EQ(got.x, e.x) << describe(got);
        EXPECT_DOUBLE_EQ(got.y, e.y) << describe(got);
        EXPECT_EQ(got.font, e.font) << describe(got);
        EXPECT_DOUBLE_EQ(got.size, e.size) << describe(got);
        EXPECT_EQ(got.fill, e.fill) << describe(got);
    }
}

TEST_F(PdfPrintTest, DownloadPageHasHeaderFooterAndColumnHeadings) {
    pdf->BeginDownloadDocument("Download Report Acme", "Footer text   Ver 1.03b", "North Gate");
    const std::string stamp = "09/08/2011 10:00:00   Page 1";
    const double stampX = 595 - widthOf(stamp, 14) - 30;
    expectTexts(*this,
                {
                    {"Download Report Acme", 30, 812, "Arial-BoldItalic", 14, titleBrown},
                    {"North Gate", 30, 787, "Arial-Bold", 18, titleBrown},
                    {"BRIN-VALE", 438, 797, "FixedWidth-Bold", 24, brandRed},
                    {"Patrol Systems", 440, 787, "FixedWidth-Bold", 13, black},
                    {"Date", 35, 760, "Times-Roman", 10.5, black},
                    {"Time", 85, 760, "Times-Roman", 10.5, black},
                    {"Location", 150, 760, "Times-Roman", 10.5, black},
                    {"Footer text   Ver 1.03b", 30, 15, "Times-Roman", 14, titleBrown},
                    {stamp.c_str(), stampX, 15, "Times-Roman", 14, titleBrown},
                },
                [&](const std::string& s) { return textsOf(s); });

    EXPECT_TRUE(hasLine(20, 807, 425, 807));
    EXPECT_TRUE(hasLine(40, 745, 273, 745));
    EXPECT_TRUE(hasLine(20, 30, 575, 30));
    for (const auto& l : rec->lines)
        EXPECT_EQ(l.width, 1.5) << l.x1 << "," << l.y1;
    const RecordedRect* heading = findRect(30, 750, 253, 30);
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->fill, headingBlue);
    EXPECT_EQ(rec->pageWidths, std::vector<double>{595});
}

TEST_F(PdfPrintTest, RowsFillTwoColumnsThenANewPage) {
    pdf->BeginDownloadDocument("T", "F", "S");
    addRows(141);

    struct Case {
        int row;
        double column, y;
        int page;
    } cases[] = {{1, 0, 730, 1},    {2, 0, 720, 1},    {70, 0, 40, 1},
                 {71, 283, 730, 1}, {140, 283, 40, 1}, {141, 0, 730, 2}};
    for (const auto& c : cases) {
        const std::string name = "R" + std::to_string(c.row);
        SCOPED_TRACE(name);
        const RecordedText t = onlyText(name);
        EXPECT_EQ(t.page, c.page) << describe(t);
        EXPECT_DOUBLE_EQ(t.x, c.column + 150) << describe(t);
        EXPECT_DOUBLE_EQ(t.y, c.y + 2) << describe(t);
        // Odd rows of a column lie on a green band.
        const RecordedRect* band = findRect(c.column + 30, c.y, 253, 10, c.page);
        if (c.row % 2 == 1) {
            ASSERT_NE(band, nullptr);
            EXPECT_EQ(band->fill, rowGreen);
        } else {
            EXPECT_EQ(band, nullptr);
        }
    }

    // The right column has its own heading on page 1; page 2 starts with the full header.
    EXPECT_EQ(textsOf("Date").size(), 3u);
    const RecordedText right = textsOf("Location")[1];
    EXPECT_EQ(right.page, 1);
    EXPECT_DOUBLE_EQ(right.x, 433);
    EXPECT_NE(findRect(313, 750, 253, 30), nullptr);
    EXPECT_TRUE(hasLine(323, 745, 556, 745));
    EXPECT_NE(findRect(30, 750, 253, 30, 2), nullptr);
    EXPECT_EQ(pagesOfLastDocument(), 2);
    const auto pageTwo = textsOf("09/08/2011 10:00:00   Page 2");
    ASSERT_EQ(pageTwo.size(), 1u);
    EXPECT_EQ(pageTwo[0].page, 2);

    // The date reappears at the top of every column.
    const auto dates = textsOf("09/08/11");
    ASSERT_EQ(dates.size(), 3u);
    EXPECT_DOUBLE_EQ(dates[1].x, 283 + 35);
    EXPECT_DOUBLE_EQ(dates[1].y, 732);
    EXPECT_EQ(dates[2].page, 2);
}

TEST_F(PdfPrintTest, RoundStartsSeparateOrMoveToTheNextColumn) {
    struct Case {
        const char* name;
        int rowsBefore;
        double column, y; // of the round-start row
        int linesAbove;   // grey lines drawn 15 points above it: a separator or the column heading
        bool freshStart;  // date printed again and the row shaded as the first of its block
    } cases[] = {
        {"first_row_of_column", 0, 0, 730, 0, true},
        {"one_row_before_no_separator", 1, 0, 720, 0, false},
        {"after_two_rows", 2, 0, 700, 1, true},
        {"lowered_to_exactly_100", 63, 0, 90, 1, true},
        {"lowered_below_100", 64, 283, 730, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PdfPrint& p = restart();
        p.BeginDownloadDocument("T", "F", "S");
        for (int i = 1; i <= c.rowsBefore; ++i)
            p.AddClockingRow("09/08/11", "10:00", "R" + std::to_string(i), false);
        const std::size_t linesBefore = rec->lines.size();
        const std::size_t datesBefore = textsOf("09/08/11").size();
        p.AddClockingRow("09/08/11", "11:00", "Round", true);

        int above = 0;
        for (std::size_t i = linesBefore; i < rec->lines.size(); ++i) {
            const RecordedLine& l = rec->lines[i];
            above += l.x1 == c.column + 40 && l.y1 == c.y + 15 && l.x2 == c.column + 273 &&
                     l.width == 1.5 && l.stroke == grey;
        }
        EXPECT_EQ(above, c.linesAbove);
        const RecordedText t = onlyText("Round");
        EXPECT_DOUBLE_EQ(t.x, c.column + 150) << describe(t);
        EXPECT_DOUBLE_EQ(t.y, c.y + 2) << describe(t);
        const auto dates = textsOf("09/08/11");
        EXPECT_EQ(dates.size(), datesBefore + (c.freshStart ? 1 : 0));
        if (c.freshStart) {
            EXPECT_DOUBLE_EQ(dates.back().y, c.y + 2);
        }
        EXPECT_EQ(findRect(c.column + 30, c.y, 253, 10) != nullptr, c.freshStart);
    }
}

TEST_F(PdfPrintTest, DateIsPrintedOnlyWhenItChanges) {
    pdf->BeginDownloadDocument("T", "F", "S");
    struct Row {
        const char* date;
        bool roundStart;
        bool dateShown;
    } rows[] = {{"01/08/11", false, true}, {"01/08/11", false, false}, {"02/08/11", false, true},
                {"02/08/11", true, true},  {"02/08/11", false, false}, {"01/08/11", false, true}};
    int n = 0;
    for (const auto& r : rows)
        pdf->AddClockingRow(r.date, "t", "row" + std::to_string(++n), r.roundStart);
    n = 0;
    for (const auto& r : rows) {
        const RecordedText row = onlyText("row" + std::to_string(++n));
        bool shown = false;
        for (const auto& d : textsOf(r.date))
            shown = shown || d.y == row.y;
        EXPECT_EQ(shown, r.dateShown) << "row " << n;
    }
}

TEST_F(PdfPrintTest, FrequencyTableStaysOrMovesOnce) {
    const std::vector<std::string> names = {"A0", "A1", "A2", "A3", "A4",
                                            "A5", "A6", "A7", "A8", "A9"};
    const std::vector<std::string> counts = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    struct Case {
        const char* name;
        int rowsBefore; // the last row is at 740 - 10 x rowsBefore
        double column, top;
        int page;
    } cases[] = {
        {"fits_with_exactly_200_left", 41, 0, 300, 1},
        {"moves_to_right_column", 42, 283, 720, 1},
        {"moves_to_new_page", 112, 0, 710, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PdfPrint& p = restart();
        p.BeginDownloadDocument("T", "F", "S");
        for (int i = 1; i <= c.rowsBefore; ++i)
            p.AddClockingRow("d", "t", "R", false);
        p.AddFrequencyTable("Frequency", "Point", "Count", names, counts);

        const RecordedRect* heading = findRect(c.column + 30, c.top, 253, 30, c.page);
        ASSERT_NE(heading, nullptr);
        EXPECT_EQ(heading->fill, tableOrange);
        const RecordedText title = onlyText("Frequency");
        EXPECT_DOUBLE_EQ(title.x, c.column + 35);
        EXPECT_DOUBLE_EQ(title.y, c.top + 15);
        EXPECT_EQ(title.size, 14);
        EXPECT_DOUBLE_EQ(onlyText("Count").y, c.top + 5);
        EXPECT_DOUBLE_EQ(onlyText("Point").x, c.column + 85);
        EXPECT_TRUE(hasLine(c.column + 40, c.top - 5, c.column + 273, c.top - 5, c.page));
        for (int i = 0; i < 10; ++i) {
            const double y = c.top - 20 - 10 * i;
            const RecordedText name = onlyText(names[static_cast<std::size_t>(i)]);
            EXPECT_DOUBLE_EQ(name.x, c.column + 85) << describe(name);
            EXPECT_DOUBLE_EQ(name.y, y + 2) << describe(name);
            EXPECT_EQ(name.page, c.page);
            const RecordedRect* band = findRect(c.column + 30, y, 253, 10, c.page);
            EXPECT_EQ(band != nullptr, i % 2 == 0) << "row " << i;
            if (band) {
                EXPECT_EQ(band->fill, tableYellow);
            }
        }
        // Counts stand before the names, on the same baseline.
        const RecordedText nine = textsOf("9").back();
        EXPECT_DOUBLE_EQ(nine.x, c.column + 35);
        EXPECT_DOUBLE_EQ(nine.y, c.top - 20 - 90 + 2);
    }
}

TEST_F(PdfPrintTest, LongFrequencyTableContinuesInsteadOfRunningOffThePage) {
    pdf->BeginDownloadDocument("T", "F", "S");
    std::vector<std::string> names, counts;
    for (int i = 0; i < 150; ++i) {
        names.push_back("N" + std::to_string(i));
        counts.push_back(std::to_string(i));
    }
    pdf->AddFrequencyTable("Frequency", "Location", "Count", names, counts);

    // Right column of page 1 from 700 down to 40 (67 rows), then page 2 under a repeated heading.
    struct Case {
        int index;
        double column, y;
        int page;
    } cases[] = {
        {0, 283, 700, 1}, {66, 283, 40, 1}, {67, 0, 690, 2}, {132, 0, 40, 2}, {133, 283, 700, 2}};
    for (const auto& c : cases) {
        const RecordedText t = onlyText("N" + std::to_string(c.index));
        EXPECT_EQ(t.page, c.page) << describe(t);
        EXPECT_DOUBLE_EQ(t.x, c.column + 85) << describe(t);
        EXPECT_DOUBLE_EQ(t.y, c.y + 2) << describe(t);
    }
    EXPECT_EQ(textsOf("Frequency").size(), 3u);
    EXPECT_NE(findRect(30, 710, 253, 30, 2), nullptr);
    for (const auto& t : rec->texts)
        if (t.y < 40) {
            EXPECT_EQ(t.y, 15) << "only the footer lies below the rows: " << describe(t);
        }
}

TEST_F(PdfPrintTest, WarningLinesMoveOnWithoutAColumnHeading) {
    struct Case {
        const char* name;
        int rowsBefore;
        const char* text;
        double x, y;
        int page;
    } cases[] = {
        {"text_at_40_stays", 69, "Warn", 35, 42, 1},
        {"empty_below_50_moves", 69, "", 283 + 35, 732, 1},
        {"empty_at_50_stays", 68, "", 35, 52, 1},
        {"text_below_40_moves", 70, "Warn", 283 + 35, 732, 1},
        {"empty_in_right_column_new_page", 139, "", 35, 732, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PdfPrint& p = restart();
        p.BeginDownloadDocument("T", "F", "S");
        for (int i = 1; i <= c.rowsBefore; ++i)
            p.AddClockingRow("d", "t", "R", false);
        const std::size_t headings = textsOf("Date").size();
        p.AddWarningLine(c.text);

        const RecordedText& w = rec->texts.back();
        EXPECT_EQ(w.text, c.text);
        EXPECT_DOUBLE_EQ(w.x, c.x) << describe(w);
        EXPECT_DOUBLE_EQ(w.y, c.y) << describe(w);
        EXPECT_EQ(w.page, c.page) << describe(w);
        // Only a new page brings a heading (with the rest of the page header).
        EXPECT_EQ(textsOf("Date").size(), headings + (c.page == 2 ? 1 : 0));
    }
}

TEST_F(PdfPrintTest, OverviewPageHeaderAndHourLabels) {
    struct Case {
        const char* name;
        bool night;
        int hour;
        int slot;
    } cases[] = {
        {"day_first", false, 0, 0},  {"day_last", false, 23, 23},  {"night_first", true, 12, 0},
        {"night_13th", true, 0, 12}, {"night_last", true, 11, 23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PdfPrint& p = restart();
        p.BeginOverviewDocument("Overview", "Foot", "Site A");
        p.BeginOverviewPage("line one", "line two", c.night);
        const std::string label = twoDigits(c.hour);
        const RecordedText t = onlyText(label);
        EXPECT_DOUBLE_EQ(t.x, 201 + 26 * c.slot - widthOf(label, 10.5) / 2) << describe(t);
        EXPECT_DOUBLE_EQ(t.y, 510);
    }

    // The last case's page: the landscape header, the grid and the footer.
    expectTexts(*this,
                {
                    {"Overview", 30, 565, "Arial-BoldItalic", 14, titleBrown},
                    {"Site A", 30, 540, "Arial-Bold", 18, titleBrown},
                    {"BRIN-VALE", 685, 552, "FixedWidth-Bold", 24, brandRed},
                    {"Patrol Systems", 687, 542, "FixedWidth-Bold", 13, black},
                    {"line one", 35, 515, "Times-Roman", 10.5, black},
                    {"line two", 35, 505, "Times-Roman", 10.5, black},
                    {"Foot", 30, 15, "Times-Roman", 14, titleBrown},
                },
                [&](const std::string& s) { return textsOf(s); });
    EXPECT_EQ(rec->pageWidths, std::vector<double>{842});
    EXPECT_TRUE(hasLine(20, 560, 672, 560));
    EXPECT_TRUE(hasLine(20, 30, 822, 30));
    const RecordedRect* bar = findRect(30, 500, 782, 30);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->fill, headingBlue);
    for (int j = 0; j < 24; ++j)
        EXPECT_TRUE(hasLine(188 + 26 * j, 500, 188 + 26 * j, 530)) << j;
    const auto stamp = onlyText("09/08/2011 10:00:00   Page 1");
    EXPECT_DOUBLE_EQ(stamp.x, 842 - widthOf(stamp.text, 14) - 30);
}

TEST_F(PdfPrintTest, OverviewRowFillsTheHoursOfItsTimes) {
    struct Case {
        const char* name;
        bool night;
        std::vector<std::string> times;
        int lineCount;
        std::vector<int> greenSlots;
        // time text, slot, line within the row
        std::vector<std::tuple<std::string, int, int>> drawn;
    } cases[] = {
        {"five_lines_day",
         false,
         {"08:05", "08:40", "10:15"},
         5,
         {8, 10},
         {{"08:05", 8, 0}, {"08:40", 8, 1}, {"10:15", 10, 0}}},
        {"night_wraps_at_midnight",
         true,
         {"22:10", "23:59", "00:01", "01:30", "01:45"},
         2,
         {10, 11, 12, 13},
         {{"22:10", 10, 0},
          {"23:59", 11, 0},
          {"00:01", 12, 0},
          {"01:30", 13, 0},
          {"01:45", 13, 1}}},
        {"no_times", false, {}, 1, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PdfPrint& p = restart();
        p.BeginOverviewDocument("Overview", "Foot", "Site A");
        p.BeginOverviewPage("l1", "", c.night);
        p.AddOverviewRow(c.times, "Main Gate", c.lineCount);

        const double h = 15.0 * c.lineCount, y = 500 - h;
        const RecordedRect* nameCell = findRect(30, y, 158, h);
        ASSERT_NE(nameCell, nullptr);
        EXPECT_EQ(nameCell->fill, headingBlue);
        const RecordedText name = onlyText("Main Gate");
        EXPECT_DOUBLE_EQ(name.x, 35);
        EXPECT_DOUBLE_EQ(name.y, y + h / 2);

        std::vector<int> green;
        for (const auto& r : rec->rects)
            if (r.fill == hourGreen) {
                EXPECT_EQ(r.y, y);
                EXPECT_EQ(r.height, h);
                EXPECT_EQ(r.width, 26);
                green.push_back(static_cast<int>((r.x - 188) / 26));
            }
        EXPECT_EQ(green, c.greenSlots);
        for (const auto& [time, slot, line] : c.drawn) {
            const RecordedText t = onlyText(time);
            EXPECT_DOUBLE_EQ(t.x, 201 + 26 * slot - widthOf(time, 10.5) / 2) << describe(t);
            EXPECT_DOUBLE_EQ(t.y, y + h - 11 - 15 * line) << describe(t);
        }
        for (int j = 0; j < 24; ++j)
            EXPECT_TRUE(hasLine(188 + 26 * j, y, 188 + 26 * j, y + h)) << j;
        EXPECT_TRUE(hasLine(30, y, 812, y));
        EXPECT_TRUE(hasLine(812, y + h, 30, y + h));
    }
}

TEST_F(PdfPrintTest, OverviewRowsContinueOnAPageWithTheSameHeader) {
    pdf->BeginOverviewDocument("Overview", "Foot", "Site A");
    pdf->BeginOverviewPage("Night : 08/08/2011 12:00", "   To : 09/08/2011 12:00", true);
    for (int i = 1; i <= 16; ++i)
        pdf->AddOverviewRow({"12:30"}, "P" + std::to_string(i), 2);

    EXPECT_EQ(onlyText("P15").y, 50 + 15) << "the 15th row of 30 points ends at 50";
    const RecordedText moved = onlyText("P16");
    EXPECT_EQ(moved.page, 2);
    EXPECT_DOUBLE_EQ(moved.y, 470 + 15);
    const auto line1 = textsOf("Night : 08/08/2011 12:00");
    ASSERT_EQ(line1.size(), 2u);
    EXPECT_EQ(line1[1].page, 2);
    EXPECT_EQ(textsOf("12")[1].x, textsOf("12")[0].x) << "still a night-shift grid";
    EXPECT_EQ(textsOf("09/08/2011 10:00:00   Page 2").size(), 1u);
}

TEST_F(PdfPrintTest, CallsWithoutADocumentAreIgnored) {
    auto addEverything = [&] {
        pdf->AddClockingRow("d", "t", "n", true);
        pdf->AddFrequencyTable("F", "L", "C", {"a"}, {"1"});
        pdf->AddWarningLine("w");
        pdf->BeginOverviewPage("1", "2", false);
        pdf->AddOverviewRow({"10:00"}, "p", 1);
    };
    addEverything();
    EXPECT_TRUE(rec->calls.empty());
    EXPECT_THROW(pdf->SaveDocument("never.pdf"), PdfError);

    test::TempWorkDir dir;
    pdf->BeginDownloadDocument("T", "F", "S");
    pdf->SaveDocument(dir / "saved.pdf");
    const std::size_t callsAfterSave = rec->calls.size();
    addEverything();
    EXPECT_EQ(rec->calls.size(), callsAfterSave);
    EXPECT_FALSE(pdf->HasDocument());
}

TEST_F(PdfPrintTest, FailedSaveRaisesAndStillFreesTheDocument) {
    test::TempWorkDir dir;
    pdf->BeginDownloadDocument("T", "F", "S");
    addRows(3);
    EXPECT_THROW(pdf->SaveDocument(dir / "missing" / "report.pdf"), FileError);
    EXPECT_EQ(rec->documentsReleased, 1);
    EXPECT_FALSE(pdf->HasDocument());

    // The next report goes through as usual.
    pdf->BeginDownloadDocument("T2", "F", "S");
    addRows(1);
    pdf->SaveDocument(dir / "report.pdf");
    EXPECT_EQ(rec->documentsReleased, 2);
    const auto saved = textfile::readLines(dir / "report.pdf");
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.front(), "%RECORDED-PDF");
}

TEST_F(PdfPrintTest, SaveReplacesAFileSpelledOtherwise) {
    test::TempWorkDir dir;
    dir.writeBytes("report.pdf", "old");
    pdf->BeginDownloadDocument("T", "F", "S");
    pdf->SaveDocument(dir / "Report.pdf");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
    EXPECT_NE(dir.readBytes("report.pdf"), "old");
}

TEST_F(PdfPrintTest, NewDocumentAbandonsTheUnsavedOne) {
    pdf->BeginDownloadDocument("First", "F", "S");
    pdf->BeginOverviewDocument("Second", "F", "S");
    EXPECT_EQ(rec->documentsCreated, 2);
    EXPECT_EQ(rec->documentsReleased, 1);
    EXPECT_TRUE(pdf->HasDocument());
}

TEST_F(PdfPrintTest, PageFurnitureFailuresDoNotStopTheRows) {
    pdf->BeginDownloadDocument("T", "F", "S");
    rec->failing = {"addPage"};
    EXPECT_NO_THROW(addRows(141));
    const RecordedText last = onlyText("R141");
    EXPECT_EQ(last.page, 1) << "drawn on the page that is current";
    EXPECT_DOUBLE_EQ(last.y, 732);

    // A document whose creation fails is no document: rows are ignored, saving says so.
    rec->failing = {"createDocument"};
    pdf->BeginDownloadDocument("T", "F", "S");
    EXPECT_FALSE(pdf->HasDocument());
    EXPECT_NO_THROW(addRows(1));
    EXPECT_THROW(pdf->SaveDocument("x.pdf"), PdfError);
}

} // namespace
