#include "app/MessageTable.h"
#include "platform/FileError.h"
#include "platform/virtual/RecordingPrompts.h"
#include "processing/StoreUpload.h"
#include "sites/CheckpointTable.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

using Lines = std::vector<std::string>;

std::string rec(const std::string& id, const std::string& yymmdd, const std::string& hhmm) {
    return "000000" + id + yymmdd + hhmm;
}

// Sites Alpha and Beta both list 123ABC; Alpha also AAAAAA. Their day files are in Raw.
class StoreUploadTest : public ::testing::Test {
protected:
    StoreUploadTest() {
        messages.Set(37, "Processing Data...");
        dir.writeLines("Alpha/checkpt.lst", {"h", "", "AAAAAA = A", "123ABC = Shared"});
        dir.writeLines("Beta/checkpt.lst", {"h", "", "123ABC = Shared"});
        fs::create_directories(dir / "Alpha/Raw");
        fs::create_directories(dir / "Beta/Raw");
        RebuildCheckpointTable(dir.path(), sites, table, false);
    }

    void store(const Lines& raw) {
        dir.writeLines("Raw.txt", raw);
        StoreUpload(dir / "Raw.txt", dir.path(), sites, table, prompts, messages);
    }

    test::TempWorkDir dir;
    SiteList sites{"Alpha", "Beta"};
    CheckpointTable table;
    MessageTable messages;
    RecordingPrompts prompts;
};

TEST_F(StoreUploadTest, MergesIntoDayFilesInKeyOrder) {
    // Stored earlier: two records of 9 August, one of them stored twice, and a file of a day
    // this upload does not touch.
    dir.writeLines("Alpha/Raw/110809.txt",
                   {rec("AAAAAA", "110809", "1459"), rec("AAAAAA", "110809", "0800"),
                    rec("AAAAAA", "110809", "0800")});
    dir.writeLines("Alpha/Raw/110701.txt", {"untouched"});
    dir.writeLines("sorttemp.$$$", {"x"});

    store({"Id : Brin0042", rec("AAAAAA", "110809", "1500") + "2",
           "000000000042110809"
           "1480"
           "3",
           rec("AAAAAA", "110809", "1405") + "4", rec("AAAAAA", "110810", "0001") + "5",
           rec("AAAAAA", "110809", "0800") + "6"});

    // The unit marker sorts by its own key: after 14:59, before 15:00. Duplicates stay; the
    // block numbers are gone.
    EXPECT_EQ(dir.readLines("Alpha/Raw/110809.txt"),
              (Lines{rec("AAAAAA", "110809", "0800"), rec("AAAAAA", "110809", "0800"),
                     rec("AAAAAA", "110809", "0800"), rec("AAAAAA", "110809", "1405"),
                     rec("AAAAAA", "110809", "1459"),
                     "000000000042110809"
                     "1480",
                     rec("AAAAAA", "110809", "1500")}));
    EXPECT_EQ(dir.readBytes("Alpha/Raw/110810.txt"), rec("AAAAAA", "110810", "0001") + "\r\n");
    EXPECT_EQ(dir.readLines("Alpha/Raw/110701.txt"), Lines{"untouched"});
    EXPECT_TRUE(fs::is_empty(dir / "Beta/Raw"));

    EXPECT_EQ(dir.readLines("Raw.txt").back(), "Done");
    EXPECT_TRUE(fs::exists(dir / "empty.txt"));
    EXPECT_EQ(fs::file_size(dir / "empty.txt"), 0u);
    for (const char* scratch : {"0.$$$", "1.$$$", "2.$$$", "sorttemp.$$$"})
        EXPECT_FALSE(fs::exists(dir / scratch)) << scratch;
}

TEST_F(StoreUploadTest, SharedIdGoesToBothSitesAndUnknownToNone) {
    store({"Id : X", rec("123ABC", "110809", "1000") + "2", rec("999999", "110809", "1001") + "3",
           "Done"});
    EXPECT_EQ(dir.readLines("Alpha/Raw/110809.txt"), Lines{rec("123ABC", "110809", "1000")});
    EXPECT_EQ(dir.readLines("Beta/Raw/110809.txt"), Lines{rec("123ABC", "110809", "1000")});
}

TEST_F(StoreUploadTest, StoringTheSameMemoryTwiceKeepsEveryRecordTwice) {
    const Lines raw{"Id : X", rec("AAAAAA", "110809", "1000") + "2",
                    rec("AAAAAA", "110809", "0900") + "3"};
    store(raw);
    store(raw);
    EXPECT_EQ(dir.readLines("Alpha/Raw/110809.txt"),
              (Lines{rec("AAAAAA", "110809", "0900"), rec("AAAAAA", "110809", "0900"),
                     rec("AAAAAA", "110809", "1000"), rec("AAAAAA", "110809", "1000")}));
}

TEST_F(StoreUploadTest, KeysCompareWithoutRegardToCaseAndFilesKeepTheirSpelling) {
    fs::remove(dir / "Alpha/Raw");
    dir.writeLines("Alpha/raw/110809.TXT", {rec("aaaaaa", "110809", "1000")});
    table.setRow(0, {"AAAAAA", "aaaaaa"});
    store({"Id : X", rec("AAAAAA", "110809", "1000") + "2", rec("AAAAAA", "110809", "0900") + "3",
           rec("aaaaaa", "110809", "0959") + "4"});
    EXPECT_FALSE(fs::exists(dir / "Alpha/Raw"));
    EXPECT_FALSE(fs::exists(dir / "Alpha/raw/110809.txt"));
    // Equal but for case: upper case first (ties go by bytes).
    EXPECT_EQ(dir.readLines("Alpha/raw/110809.TXT"),
              (Lines{rec("AAAAAA", "110809", "0900"), rec("aaaaaa", "110809", "0959"),
                     rec("AAAAAA", "110809", "1000"), rec("aaaaaa", "110809", "1000")}));
}

TEST_F(StoreUploadTest, LinesOfAnotherDayStayInTheFileTheyWereFoundIn) {
    // A hand-edited day file holding a record of the next day: rewriting the file of that other
    // day must not drop it, nor may it overwrite that day's own file.
    dir.writeLines("Alpha/Raw/110809.txt", {rec("AAAAAA", "110810", "0700")});
    dir.writeLines("Alpha/Raw/110810.txt", {rec("AAAAAA", "110810", "0600")});
    store({"Id : X", rec("AAAAAA", "110809", "1000") + "2"});
    EXPECT_EQ(dir.readLines("Alpha/Raw/110809.txt"),
              (Lines{rec("AAAAAA", "110809", "1000"), rec("AAAAAA", "110810", "0700")}));
    EXPECT_EQ(dir.readLines("Alpha/Raw/110810.txt"), Lines{rec("AAAAAA", "110810", "0600")});
}

TEST_F(StoreUploadTest, ShowsProgressAndRestoresTheCursor) {
    store({"Id : X", rec("AAAAAA", "110809", "1000") + "2", "Done"});
    EXPECT_EQ(prompts.statusText, "Processing Data...");
    EXPECT_EQ(prompts.led, Prompts::Led::Green);
    EXPECT_EQ(prompts.progressPosition, 3);
    EXPECT_EQ(prompts.progressMaximum, 103);
    EXPECT_FALSE(prompts.progressVisible);
    EXPECT_FALSE(prompts.busy);
    EXPECT_GE(prompts.eventsProcessed, 3);
}

TEST_F(StoreUploadTest, FailureLeavesEveryOldDayFileAndTheScratchFiles) {
    // Beta's day files cannot be written; Alpha's, merged before, must not change either.
    dir.writeLines("Alpha/Raw/110809.txt", {rec("123ABC", "110809", "0800")});
    fs::remove_all(dir / "Beta/Raw");
    dir.writeLines("Beta/Raw", {"a file where the directory belongs"});
    dir.writeLines("Raw.txt", {"Id : X", rec("123ABC", "110809", "1000") + "2"});
    EXPECT_THROW(StoreUpload(dir / "Raw.txt", dir.path(), sites, table, prompts, messages),
                 FileError);
    EXPECT_EQ(dir.readLines("Alpha/Raw/110809.txt"), Lines{rec("123ABC", "110809", "0800")});
    EXPECT_TRUE(fs::exists(dir / "0.$$$"));
    EXPECT_FALSE(prompts.busy);
}

TEST_F(StoreUploadTest, MissingRawFileFails) {
    EXPECT_THROW(StoreUpload(dir / "Raw.txt", dir.path(), sites, table, prompts, messages),
                 FileError);
}

} // namespace
