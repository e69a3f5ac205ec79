// Whole reports of a small upload compared line for line with reviewed copies under golden/.
// Run with VELTRONA_UPDATE_GOLDEN=1 to rewrite the copies after a deliberate change.

#include "tests/processing/ProcessTestSupport.h"

#include <cstdlib>

namespace veltrona::test {
namespace {

const std::filesystem::path GoldenDir =
    std::filesystem::path(VELTRONA_SOURCE_DIR) / "tests" / "processing" / "golden";

void ExpectGolden(const std::string& name, const std::vector<std::string>& actual) {
    const auto file = GoldenDir / name;
    if (std::getenv("VELTRONA_UPDATE_GOLDEN")) {
        textfile::replaceFileLines(file, actual);
        return;
    }
    ASSERT_TRUE(textfile::fileExists(file)) << file;
    const auto expected = textfile::readLines(file);
    for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        EXPECT_EQ(i < expected.size() ? expected[i] : "<missing>",
                  i < actual.size() ? actual[i] : "<missing>")
            << name << " line " << i + 1;
    }
}

class GoldenTest : public ProcessTest {
protected:
    void SetUp() override {
        addSite({"Alpha",
                 {"00A001 # Alpha reception", "00A002 = Alpha loading bay",
                  "00A003 = Alpha roof door"}});
        addSite({"Bravo", {"00B001 # Bravo front desk", "00B002 = Bravo warehouse"}});
        addSite({"common", {"00C001 = Main gate"}});
        startUp();
    }

    // The clockings of one night as tuples of Id, day, hour byte, minute byte.
    struct Clock {
        const char* id;
        const char* day;
        const char* hour;
        const char* minute;
    };
    static constexpr Clock Night[] = {
        {"00C001", "110809", "22", "00"}, // common, before any site: goes to Alpha
        {"00A001", "110809", "22", "02"}, // Alpha's round start
        {"00A002", "110809", "22", "05"}, {"00A003", "110809", "A2", "09"}, // flag A
        {"00C001", "110809", "22", "12"},                                   // common: follows Alpha
        {"00B001", "110809", "22", "20"},                                   // Bravo's round start
        {"00B002", "110809", "62", "25"},                                   // flag B
        {"00B001", "110809", "23", "20"}, {"00A001", "110810", "00", "03"}, // next day
        {"00A002", "110810", "00", "07"},
    };
};

TEST_F(GoldenTest, NormalModeReportsOfTwoSitesAndCommon) {
    ws.settings.secureReports = true;
    std::vector<std::string> raw = {"Id : Brin0042"};
    int block = 2;
    for (const auto& c : Night) {
        if (std::string(c.id) == "00B001" && std::string(c.hour) == "23")
            raw.push_back(Rec("000012", c.day, c.hour, "95", std::to_string(block++)));
        raw.push_back(Rec(c.id, c.day, c.hour, c.minute, std::to_string(block++)));
    }
    raw.push_back(Rec("00A002", "110810", "00", "1X", "30")); // corrupt, Alpha's
    raw.push_back(Rec("FFFFFF", "110810", "00", "20", "31")); // unknown, ignored
    raw.push_back("Done");
    process(raw);

    ExpectGolden("normal_Alpha.txt", siteFile("Alpha", "txt"));
    ExpectGolden("normal_Alpha.csv", siteFile("Alpha", "csv"));
    ExpectGolden("normal_Alpha.pdf.calls", pdfCalls(1));
    ExpectGolden("normal_Bravo.txt", siteFile("Bravo", "txt"));
    ExpectGolden("normal_Bravo.csv", siteFile("Bravo", "csv"));
    ExpectGolden("normal_Bravo.pdf.calls", pdfCalls(2));
    EXPECT_FALSE(textfile::fileExists(dir / "common/08091405.txt"));
    EXPECT_EQ(recording->documentsCreated, 2);
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0].filename(), "08091405.pdf");
}

class CombinedGoldenTest : public GoldenTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CombinedGoldenTest, CombinedModeReports) {
    const bool sorted = GetParam();
    ws.settings.secureReports = true;
    std::vector<std::string> raw = {std::string(sorted ? "Ids: " : "Id : ") +
                                    "Alpha 09/08/2011 to 10/08/2011 all points"};
    for (const auto& c : Night)
        raw.push_back(CheckedRec(c.id, c.day, c.hour, c.minute));
    raw.push_back(CheckedRec("00A003", "110810", "00", "09", false)); // fails the check
    process(raw);

    const std::string kind = sorted ? "sorted" : "unsorted";
    ExpectGolden("combined_" + kind + "_Processed.txt", dir.readLines("Processed.txt"));
    ExpectGolden("combined_" + kind + "_Processed.csv", dir.readLines("Processed.csv"));
    // Report.pdf is the document of the last site with data; the first site's is never saved.
    ExpectGolden("combined_" + kind + "_Report.pdf.calls", pdfCalls(2));
    EXPECT_EQ(recording->documentsCreated, 2);
    EXPECT_EQ(recording->savedFiles.size(), 1u);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], textfile::resolveName(dir.path(), "Report.pdf"));
    EXPECT_FALSE(textfile::fileExists(dir / "LG201108.txt")) << "combined mode logs nothing";
}

INSTANTIATE_TEST_SUITE_P(Listing, CombinedGoldenTest, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "Sorted" : "Unsorted"; });

} // namespace
} // namespace veltrona::test
