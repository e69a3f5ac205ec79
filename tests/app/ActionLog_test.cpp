#include "app/ActionLog.h"

#include "platform/virtual/VirtualClock.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <thread>

namespace veltrona {
namespace {

TEST(ActionLogTest, FirstActionOfAMonthStartsItsFile) {
    test::TempWorkDir dir;
    VirtualClock clock(DateTime{2011, 8, 31, 23, 59, 58, 0});
    AppendActionLog(dir.path(), clock, "All", "Secure Reports Changed to Enabled");
    clock.advance(7000); // 2011-09-01 00:00:05
    AppendActionLog(dir.path(), clock, "unknown", "Set the Port Number to3");
    AppendActionLog(dir.path(), clock, "Main \"gate\"", "Id Button Deleted (123ABC) a, b");

    EXPECT_EQ(dir.readBytes("LG201108.txt"),
              "\"2011/08/31 23:59.58\",\"All\",\"Secure Reports Changed to Enabled\"\r\n");
    // Quotes inside a field stay as they are.
    EXPECT_EQ(
        dir.readLines("LG201109.txt"),
        (std::vector<std::string>{
            "\"2011/09/01 00:00.05\",\"unknown\",\"Set the Port Number to3\"",
            "\"2011/09/01 00:00.05\",\"Main \"gate\"\",\"Id Button Deleted (123ABC) a, b\""}));
}

TEST(ActionLogTest, ExistingFileIsAppendedToWhateverTheCaseOfItsName) {
    test::TempWorkDir dir;
    dir.writeLines("lg201108.TXT", {"\"old\""});
    VirtualClock clock(DateTime{2011, 8, 9, 14, 5, 33, 0});
    AppendActionLog(dir.path(), clock, "Site A", "New Site created");
    EXPECT_EQ(dir.readLines("lg201108.TXT"),
              (std::vector<std::string>{
                  "\"old\"", "\"2011/08/09 14:05.33\",\"Site A\",\"New Site created\""}));
}

TEST(ActionLogTest, TwoThreadsLogWholeLines) {
    test::TempWorkDir dir;
    VirtualClock clock(DateTime{2011, 8, 9, 14, 5, 33, 0});
    std::thread cycle([&] {
        for (int i = 0; i < 100; ++i)
            AppendActionLog(dir.path(), clock, "S",
                            "New Id Button Added (00000" + std::to_string(i % 10) + ") x");
    });
    for (int i = 0; i < 100; ++i)
        AppendActionLog(dir.path(), clock, "All", "Filetype Changed to csv");
    cycle.join();
    const auto lines = dir.readLines("LG201108.txt");
    ASSERT_EQ(lines.size(), 200u);
    for (const auto& l : lines)
        EXPECT_EQ(SplitCommaText(l).size(), 3u) << l;
}

TEST(CommaTextTest, Join) {
    const struct {
        std::vector<std::string> fields;
        const char* line;
    } cases[] = {
        {{"Date & Time", "Site Affected", "Action Taken"},
         "\"Date & Time\",\"Site Affected\",\"Action Taken\""},
        {{"2011/08/09 14:05.33", "All", "a,b"}, "\"2011/08/09 14:05.33\",All,\"a,b\""},
        {{"say \"hi\"", "", "x"}, "\"say \"\"hi\"\"\",,x"},
        {{"tab\there"}, "\"tab\there\""},
        {{""}, ""},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinCommaText(c.fields), c.line) << c.line;
}

TEST(CommaTextTest, Split) {
    const struct {
        const char* line;
        std::vector<std::string> fields;
    } cases[] = {
        {"\"2011/08/09 14:05.33\",\"Site A\",\"New Site created\"",
         {"2011/08/09 14:05.33", "Site A", "New Site created"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {"a b", {"a", "b"}},
        {"  a , b  ", {"a", "b"}},
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"\"unclosed, quote", {"unclosed, quote"}},
        {"", {}},
        // A quote ends a quoted field wherever it stands; what follows it starts the next field.
        {"\"t\",\"Main \"gate\"\",\"x\"", {"t", "Main ", "gate\"\"", "x"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommaText(c.line), c.fields) << c.line;
}

TEST(CommaTextTest, SplitUndoesJoin) {
    const std::vector<std::string> fields = {"2011/08/09 14:05.33", "All", "a, \"b\"", "", "z"};
    EXPECT_EQ(SplitCommaText(JoinCommaText(fields)), fields);
}

TEST(LogFileListTest, Captions) {
    const struct {
        const char* name;
        const char* caption;
    } cases[] = {
        {"LG201108.txt", "August 2011"},      {"LG201102.txt", "Febuary 2011"},
        {"LG201112.TXT", "December 2011"},    {"LG2011xx.txt", "Err LG2011xx.txt"},
        {"LG201113.txt", "Err LG201113.txt"}, {"LG201100.txt", "Err LG201100.txt"},
        {"LG2011.txt", "Err LG2011.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogFileCaption(c.name), c.caption) << c.name;
}

TEST(LogFileListTest, ListsMonthlyFilesOnly) {
    test::TempWorkDir dir;
    for (const char* name : {"LG201109.txt", "LGm.txt", "lg201108.TXT", "LG201110.csv", "XLG1.txt"})
        dir.writeBytes(name, "");
    std::filesystem::create_directory(dir / "LG201111.txt");
    const auto files = ListLogFiles(dir.path());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].fileName, "lg201108.TXT");
    EXPECT_EQ(files[0].caption, "August 2011");
    EXPECT_EQ(files[1].caption, "September 2011");
}

} // namespace
} // namespace veltrona
