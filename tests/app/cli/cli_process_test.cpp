// veltrona-cli store / process run as a program on a copy of the demo working directory.
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
#include <vector>

using veltrona::test::TempWorkDir;
namespace fs = std::filesystem;
using veltrona::test::CliRun;
using veltrona::test::copyDemoWorkDir;
using veltrona::test::runCli;
using veltrona::test::shellQuoted;
using veltrona::test::slurp;

namespace {

class CliProcessTest : public ::testing::Test {
protected:
    void SetUp() override { copyDemoWorkDir(dir.path()); }

    CliRun cli(const std::string& args) const { return runCli(dir.path(), args); }

    // Names of the files of `sub` matching `pattern`, sorted.
    std::vector<std::string> files(const std::string& sub, const std::string& pattern) const {
        std::vector<std::string> names;
        const std::regex re(pattern);
        if (fs::is_directory(dir / sub))
            for (const auto& e : fs::directory_iterator(dir / sub))
                if (std::regex_match(e.path().filename().string(), re))
                    names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> reports(const std::string& site) const {
        return files(site, "[0-9]{8}\\.(txt|csv|pdf)");
    }
    std::string logText() const {
        const auto logs = files(".", "LG[0-9]{6}\\.txt");
        return logs.empty() ? std::string() : slurp(dir / logs[0]);
    }

    TempWorkDir dir;
};

TEST_F(CliProcessTest, StoreFilesTheDayFilesAndWritesTheReports) {
    const auto run = cli("store Raw.txt");
    ASSERT_EQ(run.code, 0) << run.err;
    for (const char* site : {"Alpha", "Bravo"}) {
        EXPECT_EQ(reports(site).size(), 3u) << site;
        EXPECT_EQ(files(std::string(site) + "/Raw", "[0-9]{6}\\.txt").size(), 2u) << site;
        // The PDF is opened as the GUI would (SecureReports is on), printed only.
        EXPECT_NE(run.err.find("open: " + (dir / site / reports(site)[1]).string()),
                  std::string::npos)
            << run.err;
    }
    EXPECT_TRUE(reports("common").empty());
    // The baton of the file's Id line names the upload in the log and the reports.
    const std::string log = logText();
    EXPECT_NE(log.find("\"Alpha\",\"Veltrona Uploaded and cleared Id : 1234ABCD\""),
              std::string::npos)
        << log;
    EXPECT_NE(slurp(dir / "Alpha" / reports("Alpha")[2]).find("From Unit (1234ABCD)  Ver\r\n"),
              std::string::npos);
    EXPECT_TRUE(files(".", ".*\\.\\$\\$\\$").empty()) << "scratch files removed";
    const std::string raw = slurp(dir / "Raw.txt");
    EXPECT_EQ(raw.substr(raw.size() - 6), "Done\r\n");
}

TEST_F(CliProcessTest, ProcessWritesReportsButNoDayFiles) {
    const auto run = cli("process Raw.txt");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(reports("Alpha").size(), 3u);
    EXPECT_TRUE(files("Alpha/Raw", "[0-9]{6}\\.txt").empty());
}

TEST_F(CliProcessTest, UnknownCheckpointsGoWhereTheOptionSays) {
    // The demo upload ends with a clocking of 0FA502, which no site lists; numbered after the two
    // common checkpoints.
    auto run = cli("process Raw.txt --unknown new:Store");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(fs::is_directory(dir / "Store/Raw"));
    ASSERT_EQ(reports("Store").size(), 3u);
    EXPECT_NE(slurp(dir / "Store/checkpt.lst").find("0FA502 = 3 "), std::string::npos);

    // Without the new site the Id is unknown again.
    fs::remove_all(dir / "Store");
    run = cli("process Raw.txt --unknown existing:Bravo");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(slurp(dir / "Bravo/checkpt.lst").find("0FA502 = "), std::string::npos);
}

TEST_F(CliProcessTest, MissingLanguageFileStopsWithTheProgramsMessage) {
    fs::remove(dir / "English.lng");
    const auto run = cli("store Raw.txt");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(
        run.err.find(
            "message: Fatal Error: Missing Language File Please re-install the application\n"),
        std::string::npos)
        << run.err;
    EXPECT_TRUE(reports("Alpha").empty());
}

TEST_F(CliProcessTest, UsageErrors) {
    for (const char* args : {"process", "process Raw.txt --unknown somewhere",
                             "store Raw.txt extra", "process Raw.txt --unknown existing:Nowhere"})
        EXPECT_EQ(cli(args).code, 2) << args;
    EXPECT_EQ(cli("process NoSuchFile.txt").code, 1);
}

} // namespace
