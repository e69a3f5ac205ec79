#include "app/BatonNames.h"

#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

namespace veltrona {
namespace {

const std::vector<std::string> startupFile = {"//Baton names for their serial number", "", "",
                                              "//End of file"};

class BatonNamesTest : public ::testing::Test {
protected:
    std::vector<std::string> file() const { return dir.readLines("batname.cfg"); }

    test::TempWorkDir dir;
    BatonNames names{dir.path()};
};

TEST_F(BatonNamesTest, StartUpCreatesTheFileAndLooksUpAppendBehindItsEndLine) {
    names.LoadBatonNames();
    EXPECT_EQ(file(), startupFile);
    EXPECT_TRUE(names.list().empty());

    EXPECT_EQ(names.LookUpBatonName("Brin0042"), "Brin0042");
    EXPECT_EQ(names.LookUpBatonName("Brin0042"), "Brin0042");
    auto expected = startupFile;
    expected.push_back("Brin0042=Brin0042");
    EXPECT_EQ(file(), expected);
    EXPECT_EQ(names.list(), (std::vector<BatonListItem>{{"0042", "Brin0042"}}));

    // A fresh load skips the end line wherever it stands.
    BatonNames again(dir.path());
    again.LoadBatonNames();
    EXPECT_EQ(again.list(), (std::vector<BatonListItem>{{"0042", "Brin0042"}}));
}

TEST_F(BatonNamesTest, LookUpWithoutFileCreatesItsFirstThreeLines) {
    EXPECT_EQ(names.LookUpBatonName("12345678"), "12345678");
    EXPECT_EQ(file(), (std::vector<std::string>{"//Baton names for their serial number", "", "",
                                                "12345678=12345678"}));
}

TEST_F(BatonNamesTest, LookUpFindsStoredNames) {
    dir.writeLines("batname.cfg", {"//Baton names for their serial number", "AAAA0001=Line two",
                                   "AAAA0001=Guard one", "short=x", "AAAA0001=Guard one later"});
    const auto before = dir.readBytes("batname.cfg");
    // Lines 1 and 2 are never entries; the last matching entry wins.
    EXPECT_EQ(names.LookUpBatonName("AAAA0001"), "Guard one later");
    EXPECT_EQ(dir.readBytes("batname.cfg"), before);
}

TEST_F(BatonNamesTest, TextThatIsNoSerialIsNeverStored) {
    names.LoadBatonNames();
    const auto before = dir.readBytes("batname.cfg");
    for (const char* text : {"", "Brin042", "Brin00042", "Id : Brin0042"}) {
        EXPECT_EQ(names.LookUpBatonName(text), text) << '"' << text << '"';
        EXPECT_EQ(names.LookUpBatonName(text), text) << '"' << text << '"';
    }
    EXPECT_EQ(dir.readBytes("batname.cfg"), before);
    EXPECT_TRUE(names.list().empty());
}

TEST_F(BatonNamesTest, RenameGivesEveryEntryWithTheCaptionTheName) {
    dir.writeLines("batname.cfg", {"//Baton names for their serial number", "", "AAAA1234=Old",
                                   "BBBB1234=Other", "CCCC9999=Keep", "short", "//End of file"});
    names.LoadBatonNames();
    names.RenameBaton("1234", "North gate");
    EXPECT_EQ(file(), (std::vector<std::string>{"//Baton names for their serial number", "",
                                                "AAAA1234=North gate", "BBBB1234=North gate",
                                                "CCCC9999=Keep", "short", "//End of file"}));
    EXPECT_EQ(names.list(), (std::vector<BatonListItem>{
                                {"1234", "North gate"}, {"1234", "North gate"}, {"9999", "Keep"}}));
    EXPECT_EQ(names.LookUpBatonName("BBBB1234"), "North gate");
}

TEST_F(BatonNamesTest, RenameLeavesHeadingAndEndLinesAlone) {
    names.LoadBatonNames();
    names.RenameBaton("d of", "x"); // characters 5 to 8 of "//End of file"
    names.RenameBaton("ton ", "x"); // and of the heading line
    EXPECT_EQ(file(), startupFile);
}

TEST_F(BatonNamesTest, RenameWithoutFileFails) {
    EXPECT_THROW(names.RenameBaton("1234", "x"), FileError);
}

} // namespace
} // namespace veltrona
