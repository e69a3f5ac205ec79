#include "platform/qt/HaruPdfWriter.h"

#include "app/MessageTable.h"
#include "platform/FileError.h"
#include "platform/LocaleFormats.h"
#include "platform/virtual/VirtualClock.h"
#include "processing/pdfprint.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace veltrona;

namespace {

bool haveTool(const char* tool) {
    const std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    pclose(pipe);
    return out;
}

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    std::string text;
};

// The words pdftotext finds, with their boxes (y measured down from the top of the page).
std::vector<Word> wordsOf(const std::filesystem::path& pdf) {
    const std::string html = run("pdftotext -bbox '" + pdf.string() + "' - 2>/dev/null");
    std::vector<Word> words;
    int page = 0;
    const std::regex token(R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)" )re"
                           R"re(xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
    for (std::sregex_iterator it(html.begin(), html.end(), token), end; it != end; ++it) {
        const auto& m = *it;
        if (m.str(0) == "<page ") {
            ++page;
            continue;
        }
        words.push_back({page, std::stod(m.str(1)), std::stod(m.str(2)), std::stod(m.str(3)),
                         std::stod(m.str(4)), m.str(5)});
    }
    return words;
}

struct FontRow {
    std::string name, type, encoding, embedded;
};

std::vector<FontRow> fontsOf(const std::filesystem::path& pdf) {
    std::istringstream in(run("pdffonts '" + pdf.string() + "' 2>/dev/null"));
    std::vector<FontRow> rows;
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (++n <= 2)
            continue; // heading and rule
        // name, type (two words: "Type 1"), encoding, emb, sub, uni, object id
        std::istringstream fields(line);
        FontRow r;
        std::string type2;
        fields >> r.name >> r.type >> type2 >> r.encoding >> r.embedded;
        r.type += " " + type2;
        rows.push_back(r);
    }
    return rows;
}

class HaruPdfFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveTool("pdftotext") || !haveTool("pdffonts"))
            GTEST_SKIP() << "poppler-utils not installed";
        MessageTable messages;
        messages.Set(165, "Patrol Systems");
        messages.Set(166, "Date");
        messages.Set(167, "Time");
        messages.Set(168, "Location");
        messages.Set(169, "Page");
        pdf.SetPdfTexts(messages);
    }

    // The word `text` on `page`; its left edge and baseline in PDF coordinates (from the bottom).
    // The baseline is taken from the box's bottom, which lies the font's descent below it.
    void expectWordAt(const std::vector<Word>& words, const std::string& text, int page, double x,
                      double baseline, double pageHeight, double size, double descent) {
        SCOPED_TRACE(text);
        for (const auto& w : words) {
            if (w.text != text || w.page != page)
                continue;
            const double foundBaseline = pageHeight - w.yMax + descent * size;
            if (std::abs(w.xMin - x) <= 1 && std::abs(foundBaseline - baseline) <= 1)
                return;
        }
        std::string seen;
        for (const auto& w : words)
            if (w.text == text)
                seen += " page " + std::to_string(w.page) + " (" + std::to_string(w.xMin) + ", " +
                        std::to_string(pageHeight - w.yMax) + ")";
        ADD_FAILURE() << "no [" << text << "] at (" << x << ", " << baseline << ") on page " << page
                      << "; found:" << seen;
    }

    test::TempWorkDir dir;
    VirtualClock clock{DateTime{2011, 8, 9, 10, 0, 0, 0}};
    FixedLocaleFormats formats;
    PdfPrint pdf{[] { return std::make_unique<HaruPdfWriter>(); }, clock, formats};
};

// Descent of the standard fonts (fraction of the size), as poppler places the bottom of a box.
constexpr double timesDescent = 0.217;
constexpr double helveticaDescent = 0.207;

void expectStandardFonts(const std::filesystem::path& file, const std::set<std::string>& names) {
    std::set<std::string> found;
    for (const auto& f : fontsOf(file)) {
        SCOPED_TRACE(f.name);
        found.insert(f.name);
        EXPECT_EQ(f.type, "Type 1");
        EXPECT_EQ(f.encoding, "WinAnsi");
        EXPECT_EQ(f.embedded, "no");
    }
    EXPECT_EQ(found, names);
}

TEST_F(HaruPdfFileTest, DownloadReportCarriesItsTextsWhereTheLayoutPutThem) {
    pdf.BeginDownloadDocument("Download Report", "Acme   Ver 1.03b", "North Gate");
    for (int i = 1; i <= 71; ++i)
        pdf.AddClockingRow("09/08/11", "10:0" + std::to_string(i % 10), "Gate" + std::to_string(i),
                           false);
    pdf.AddClockingRow("09/08/11", "10:30", "Caf\xe9", false);
    const auto file = dir / "08091000.pdf";
    pdf.SaveDocument(file);

    expectStandardFonts(file,
                        {"Times-Roman", "Helvetica-Bold", "Helvetica-BoldOblique", "Courier-Bold"});
    const auto words = wordsOf(file);
    ASSERT_FALSE(words.empty());
    expectWordAt(words, "Download", 1, 30, 812, 842, 14, helveticaDescent);
    expectWordAt(words, "North", 1, 30, 787, 842, 18, helveticaDescent);
    expectWordAt(words, "09/08/11", 1, 35, 732, 842, 10, timesDescent);
    expectWordAt(words, "10:01", 1, 85, 732, 842, 10, timesDescent);
    expectWordAt(words, "Gate1", 1, 150, 732, 842, 10, timesDescent);
    expectWordAt(words, "Gate71", 1, 283 + 150, 732, 842, 10, timesDescent);
    // A Windows-1252 byte arrives as its character.
    expectWordAt(words, "Caf\xc3\xa9", 1, 283 + 150, 722, 842, 10, timesDescent);
    expectWordAt(words, "Acme", 1, 30, 15, 842, 14, timesDescent);

    // The footer's page number ends 30 points from the right edge.
    bool pageNumber = false;
    for (const auto& w : words)
        if (w.page == 1 && w.text == "1" && std::abs(842 - w.yMax + timesDescent * 14 - 15) <= 1) {
            EXPECT_NEAR(w.xMax, 595 - 30, 1);
            pageNumber = true;
        }
    EXPECT_TRUE(pageNumber) << "footer page number 1";
}

TEST_F(HaruPdfFileTest, OverviewReportIsLandscapeWithItsGridTexts) {
    pdf.BeginOverviewDocument("Overview", "Acme", "Site A");
    pdf.BeginOverviewPage("Night", "To", true);
    pdf.AddOverviewRow({"22:10", "22:40"}, "MainGate", 2);
    const auto file = dir / "Report.pdf";
    pdf.SaveDocument(file);

    expectStandardFonts(file,
                        {"Times-Roman", "Helvetica-Bold", "Helvetica-BoldOblique", "Courier-Bold"});
    const auto words = wordsOf(file);
    ASSERT_FALSE(words.empty());
    expectWordAt(words, "Overview", 1, 30, 565, 595, 14, helveticaDescent);
    expectWordAt(words, "Night", 1, 35, 515, 595, 10.5, timesDescent);
    expectWordAt(words, "MainGate", 1, 35, 470 + 15, 595, 10.5, timesDescent);
    // Night shift: the first hour column reads 12, the 13th reads 00; times sit in their hour.
    for (const auto& [label, centre, baseline] :
         std::vector<std::tuple<std::string, double, double>>{{"12", 201, 510},
                                                              {"00", 201 + 26 * 12, 510},
                                                              {"22:10", 201 + 26 * 10, 489},
                                                              {"22:40", 201 + 26 * 10, 474}}) {
        SCOPED_TRACE(label);
        bool found = false;
        for (const auto& w : words)
            if (w.text == label) {
                found = true;
                EXPECT_NEAR((w.xMin + w.xMax) / 2, centre, 1);
                EXPECT_NEAR(595 - w.yMax + timesDescent * 10.5, baseline, 1);
            }
        EXPECT_TRUE(found);
    }
}

TEST(HaruPdfWriterTest, FailuresBecomeExceptions) {
    test::TempWorkDir dir;
    HaruPdfWriter w;
    EXPECT_THROW(w.addPage(), PdfError) << "no document yet";
    w.createDocument(595, 842);
    w.beginDocument();
    EXPECT_THROW(w.setFont("Times-Roman", 10), PdfError) << "no page yet";
    w.addPage();
    EXPECT_DOUBLE_EQ(w.pageWidth(), 595);
    EXPECT_THROW(w.setFont("Wingdings", 10), PdfError);
    w.setFont("FixedWidth-Bold", 10);
    EXPECT_DOUBLE_EQ(w.textWidth("abc"), 18) << "Courier: 600 units a glyph";
    // A libharu error (negative line width) is raised and leaves the document usable.
    EXPECT_THROW(w.setLineWidth(-1), PdfError);
    EXPECT_NO_THROW(w.textOut(30, 30, "still drawing"));
    EXPECT_THROW(w.saveToFile(dir / "missing" / "x.pdf"), FileError);
    EXPECT_NO_THROW(w.saveToFile(dir / "x.pdf"));
    EXPECT_EQ(dir.readBytes("x.pdf").substr(0, 5), "%PDF-");
    w.release();
    EXPECT_NO_THROW(w.createDocument(842, 595)) << "a released writer takes a new document";
}

} // namespace
