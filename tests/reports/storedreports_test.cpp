#include "reports/StoredReports.h"

#include "platform/FileError.h"
#include "platform/virtual/RecordingPrompts.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

using namespace veltrona;
using namespace veltrona::test;
namespace fs = std::filesystem;

namespace {

// Sets a file's modification time to noon (local time) of a date, far from any day boundary.
void touch(const fs::path& file, int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    const auto sys = std::chrono::system_clock::from_time_t(std::mktime(&t));
    fs::last_write_time(file, std::chrono::file_clock::from_sys(sys));
}

class StoredReportsTest : public ::testing::Test {
protected:
    void report(const std::string& name, int year, int month, int day) {
        dir.writeLines("Alpha/" + name, {"report"});
        touch(dir / ("Alpha/" + name), year, month, day);
    }
    std::vector<StoredReportRow> list(const std::string& mask) {
        return ListStoredReports(dir / "Alpha", mask, prompts);
    }

    TempWorkDir dir;
    RecordingPrompts prompts;
};

TEST_F(StoredReportsTest, DateTakesTheYearFromTheModificationDate) {
    report("08091405.txt", 2011, 8, 9);
    report("08091406.txt", 2012, 1, 2); // copied later: listed with the year of the copy

    const auto rows = list("*.txt");

    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].date, "2011/08/09");
    EXPECT_EQ(rows[0].time, "14:05");
    EXPECT_EQ(rows[1].date, "2012/08/09");
    EXPECT_EQ(rows[1].time, "14:06");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(StoredReportsTest, MisnamedFileGivesItsMessageAndAnEmptyRow) {
    report("08091405.txt", 2011, 8, 9);
    dir.writeLines("Alpha/notes.txt", {"x"});

    const auto rows = list("*.txt");

    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].date, ""); // the empty date sorts first
    EXPECT_EQ(rows[0].time, "");
    EXPECT_EQ(rows[1].date, "2011/08/09");
    const std::string d = fs::absolute(dir / "Alpha").lexically_normal().string();
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"File \"notes.txt\" does not belong in "
                                                         "the directory " +
                                                         d + "\r" + d + "\r Please remove it"});
}

TEST_F(StoredReportsTest, MaskChoosesTheKindAndRowsAreSortedByDate) {
    report("12310800.pdf", 2010, 12, 31);
    report("01021000.PDF", 2011, 1, 2);
    report("01010900.pdf", 2011, 1, 1);
    report("01010900.txt", 2011, 1, 1);
    report("01010900.csv", 2011, 1, 1);
    fs::create_directories(dir / "Alpha/Raw");

    const auto rows = list("*.pdf");

    std::vector<std::string> dates;
    for (const auto& r : rows)
        dates.push_back(r.date + " " + r.time);
    EXPECT_EQ(dates, (std::vector<std::string>{"2010/12/31 08:00", "2011/01/01 09:00",
                                               "2011/01/02 10:00"}));
    EXPECT_EQ(list("*.txt;*.pdf").size(), 4u);
}

TEST_F(StoredReportsTest, MissingSiteDirectoryIsAFileError) {
    EXPECT_THROW(list("*.pdf"), FileError);
}

TEST(MatchesMaskTest, WildcardPatternsIgnoreCase) {
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Case cases[] = {
        {"08091405.pdf", "*.pdf", true},
        {"08091405.PDF", "*.pdf", true},
        {"08091405.pdf.bak", "*.pdf", false},
        {"08091405.csv", "*.txt;*.pdf", false},
        {"08091405.txt", "*.txt;*.pdf", true},
        {"a.txt", "?.txt", true},
        {"ab.txt", "?.txt", false},
        {"x", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " / " << c.mask;
}

TEST(StoredReportFilesOfTest, RowLeadsBackToItsReportFiles) {
    TempWorkDir dir;
    dir.writeLines("Alpha/08091405.TXT", {"x"});

    const auto files = StoredReportFilesOf(dir.path(), "alpha", {"2011/08/09", "14:05", ""});

    ASSERT_TRUE(files.has_value());
    EXPECT_EQ(files->txt, dir / "Alpha/08091405.TXT"); // names resolved without regard to case
    EXPECT_EQ(files->pdf, dir / "Alpha/08091405.pdf");
    EXPECT_FALSE(StoredReportFilesOf(dir.path(), "Alpha", {"", "", "notes.txt"}).has_value());
}

} // namespace
