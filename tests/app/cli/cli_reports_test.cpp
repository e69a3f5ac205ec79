#include "tests/support/CliRunner.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>

using veltrona::test::TempWorkDir;
namespace fs = std::filesystem;
using veltrona::test::CliRun;
using veltrona::test::copyDemoWorkDir;
using veltrona::test::runCli;
using veltrona::test::shellQuoted;
using veltrona::test::slurp;

namespace {

bool havePdftotext() {
    return std::system("command -v pdftotext >/dev/null 2>&1") == 0;
}

// The demo working directory with the language file beside it and its sample upload stored, so
// the sites have day files (clockings of 10 and 11 December 2026, 22:00 to 03:30).
class CliReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyDemoWorkDir(dir.path());
        ASSERT_EQ(cli("store Raw.txt").code, 0);
    }

    CliRun cli(const std::string& args) const { return runCli(dir.path(), args); }

    std::string pdfText() const {
        const fs::path txt = dir / "Report.txt.check";
        const std::string command = "pdftotext -layout " +
                                    shellQuoted((dir / "Report.pdf").string()) + " " +
                                    shellQuoted(txt.string());
        EXPECT_EQ(std::system(command.c_str()), 0);
        return slurp(txt);
    }

    TempWorkDir dir;
};

TEST_F(CliReportsTest, OverviewDrawsTheNightShiftAsAReadablePdf) {
    if (!havePdftotext())
        GTEST_SKIP() << "pdftotext not installed";
    fs::remove(dir / "Report.pdf");

    const CliRun r = cli("overview --site Alpha --from 2026-12-10 --to 2026-12-11 --night");

    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("open: " + (dir / "Report.pdf").string()), std::string::npos) << r.err;
    const std::string text = pdfText();
    EXPECT_NE(text.find("Overview Report"), std::string::npos) << text;
    EXPECT_NE(text.find("Alpha reception"), std::string::npos) << text;
    EXPECT_NE(text.find("22:02"), std::string::npos) << text;
    EXPECT_NE(text.find("03:02"), std::string::npos) << text;
}

TEST_F(CliReportsTest, ClockingListWritesTheCombinedReports) {
    if (!havePdftotext())
        GTEST_SKIP() << "pdftotext not installed";

    const CliRun r = cli("clocking-list --site Alpha --from '2026-12-10 12:00' --to '2026-12-11 "
                         "12:00' --sort --point 00A1B3 --pdf");

    EXPECT_EQ(r.code, 0) << r.err;
    const std::string processed = slurp(dir / "Processed.txt");
    EXPECT_NE(processed.find("Alpha loading bay"), std::string::npos) << processed;
    EXPECT_EQ(processed.find("Alpha reception"), std::string::npos) << processed;
    EXPECT_NE(pdfText().find("Alpha loading bay"), std::string::npos);
}

TEST_F(CliReportsTest, EmptyRangeShowsTheNoDataMessage) {
    const CliRun r = cli("clocking-list --site Alpha --from '2025-01-01 12:00' --to '2025-01-02 "
                         "12:00' --no-pdf");

    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("message: "), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "Processed.txt"));
}

TEST_F(CliReportsTest, StoredReportsListsTheDownloadJustStored) {
    const CliRun r = cli("stored-reports --site Alpha --pdf");

    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(
        std::regex_match(r.out, std::regex("[0-9]{4}/[0-9]{2}/[0-9]{2}\t[0-9]{2}:[0-9]{2}\n")))
        << r.out;
}

TEST_F(CliReportsTest, WrongArgumentsAreUsageErrors) {
    for (const char* args :
         {"overview --site Nowhere --from 2026-12-10 --to 2026-12-11",
          "overview --site Alpha --from 10/12/2026 --to 2026-12-11",
          "clocking-list --site Alpha --from '2026-12-10 25:00' --to '2026-12-11 12:00'",
          "clocking-list --site Alpha --from '2026-12-10 12:00' --to '2026-12-11 12:00' --point "
          "FFFFFF",
          "stored-reports"})
        EXPECT_EQ(cli(args).code, 2) << args;
}

} // namespace
