// veltrona-cli upload run as a program against the virtual upload station, on a copy of the demo
// working directory.
#include "baton/RawUploadFile.h"
#include "platform/qt/SystemClock.h"
#include "platform/virtual/VirtualStationFile.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using veltrona::test::TempWorkDir;
namespace fs = std::filesystem;
using veltrona::test::CliRun;
using veltrona::test::copyDemoWorkDir;
using veltrona::test::runCli;
using veltrona::test::shellQuoted;
using veltrona::test::slurp;

namespace veltrona {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

class CliUploadTest : public ::testing::Test {
protected:
    void SetUp() override { copyDemoWorkDir(dir.path()); }

    CliRun cli(const std::string& args) const { return runCli(dir.path(), args); }

    // Every line of every site's day files.
    std::multiset<std::string> dayFileLines() const {
        std::multiset<std::string> all;
        for (const auto& site : fs::directory_iterator(dir.path())) {
            if (!fs::is_directory(site.path() / "Raw"))
                continue;
            for (const auto& day : fs::directory_iterator(site.path() / "Raw")) {
                if (day.path().extension() != ".txt")
                    continue;
                for (const std::string& line : lines(slurp(day.path())))
                    all.insert(line);
            }
        }
        return all;
    }

    TempWorkDir dir;
};

// The day-file records (characters 1-22 of the clocking lines) a baton file's clockings give.
std::multiset<std::string> ExpectedRecords(const VirtualBaton& baton, const DateTime& today) {
    std::multiset<std::string> out;
    for (const auto& [number, chip] : baton.chips) {
        int pkt = 1;
        for (const auto& block : chip.storedBlocks())
            out.insert(ClockingLine(block, ++pkt, today).substr(0, 22));
    }
    return out;
}

TEST_F(CliUploadTest, VirtualUploadFilesEveryClockingOnceAndLogsTheWire) {
    const DateTime today = SystemClock().now();
    const VirtualBaton baton = LoadVirtualBatonFile(dir / "baton.txt");
    const auto run = cli("upload --virtual-station baton.txt --wire-log wire.log");
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    if (SystemClock().now().day != today.day)
        GTEST_SKIP() << "the date changed during the run";

    // Every clocking of the baton is in exactly one site's day files, and nothing else is there.
    const std::multiset<std::string> expected = ExpectedRecords(baton, today);
    ASSERT_EQ(expected.size(), 28u) << "the demo baton's clockings";
    EXPECT_EQ(dayFileLines(), expected);
    EXPECT_EQ(lines(slurp(dir / "Raw.txt")).back(), "Done");
    EXPECT_NE(run.out.find("baton read: Id : Brin0042\n"), std::string::npos) << run.out;

    // stderr carries only the message-box and open lines; the reports of both sites with
    // clockings are named, and exist.
    std::set<std::string> opened;
    for (const std::string& line : lines(run.err)) {
        if (line.rfind("open: ", 0) == 0) {
            const fs::path file = line.substr(6);
            EXPECT_TRUE(fs::exists(file)) << line;
            opened.insert(file.parent_path().filename().string());
        } else {
            EXPECT_EQ(line.rfind("message: ", 0), 0u) << "unexpected stderr line: " << line;
        }
    }
    EXPECT_EQ(opened, (std::set<std::string>{"Alpha", "Bravo"})) << run.err;

    // The wire log: one event a line, in time order, from the port's opening on.
    const std::regex event("(0|[1-9][0-9]*) ((>|<) [0-9A-F]{2}( [0-9A-F]{2})*|DTR [01]|BREAK [01]|"
                           "OPEN [^ ].*|CLOSE)");
    const std::vector<std::string> wire = lines(slurp(dir / "wire.log"));
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.front().substr(wire.front().find(' ')), " OPEN /dev/ttyUSB0");
    unsigned long long last = 0;
    std::string sent, received;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        const std::string& line = wire[i];
        ASSERT_TRUE(std::regex_match(line, event)) << "line " << i + 1 << ": " << line;
        const unsigned long long ms = std::stoull(line.substr(0, line.find(' ')));
        EXPECT_GE(ms, last) << "line " << i + 1 << ": " << line;
        last = ms;
        const std::string rest = line.substr(line.find(' ') + 1);
        if (rest[0] == '>')
            sent += rest.substr(1);
        else if (rest[0] == '<')
            received += rest.substr(1);
    }
    // The identity request went out and the baton's identity reply came back.
    EXPECT_NE(sent.find(" 01 5E"), std::string::npos);
    EXPECT_NE(received.find(" 02 16 27 42 72 69 6E 30 30 34 32"), std::string::npos);
    EXPECT_NE(std::find_if(wire.begin(), wire.end(),
                           [](const std::string& l) { return l.ends_with(" DTR 0"); }),
              wire.end());
    EXPECT_NE(std::find_if(wire.begin(), wire.end(),
                           [](const std::string& l) { return l.ends_with(" BREAK 1"); }),
              wire.end());
}

TEST_F(CliUploadTest, EmptyBatonLeavesRawTxtAndTheDayFilesAlone) {
    dir.writeLines("empty.txt", {"identity Brin0043", "chip 2", "chip 0"});
    const std::string rawBefore = slurp(dir / "Raw.txt");
    const auto run = cli("upload --virtual-station empty.txt");
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    EXPECT_NE(run.out.find("No Data in Brinvale\n"), std::string::npos) << run.out;
    EXPECT_EQ(slurp(dir / "Raw.txt"), rawBefore);
    EXPECT_TRUE(dayFileLines().empty());
    EXPECT_EQ(run.err.find("open: "), std::string::npos) << run.err;
}

TEST_F(CliUploadTest, BadArgumentsAndFilesFailWithTheirExitCodes) {
    dir.writeLines("bad.txt", {"identity Brin0044", "chip 0", "not a block"});
    struct Row {
        const char* args;
        int code;
        const char* err; // a part of stderr
    } rows[] = {
        {"upload --real-time", 2, "usage error: --real-time needs --virtual-station"},
        {"upload --virtual-station baton.txt extra", 2, "usage error: unexpected argument extra"},
        {"upload --virtual-station", 2, "usage error: --virtual-station needs a value"},
        {"upload --virtual-station missing.txt", 1, "/missing.txt: cannot open"},
        {"upload --virtual-station bad.txt", 1, "line 3"},
        {"upload --virtual-station baton.txt --wire-log no/such/dir/wire.log", 1,
         "/no/such/dir/wire.log: cannot be written"},
    };
    for (const Row& r : rows) {
        const auto run = cli(r.args);
        EXPECT_EQ(run.code, r.code) << r.args << "\n" << run.err;
        EXPECT_NE(run.err.find(r.err), std::string::npos) << r.args << "\n" << run.err;
        EXPECT_TRUE(dayFileLines().empty()) << r.args;
    }
}

} // namespace
} // namespace veltrona
