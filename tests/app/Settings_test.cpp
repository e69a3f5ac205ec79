#include "app/Settings.h"

#include "app/Trace.h"
#include "platform/TextFile.h"
#include "platform/virtual/VirtualClock.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace veltrona {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    Settings load(const std::vector<std::string>& lines) {
        dir.writeLines("Veltrona.ini", lines);
        Settings s;
        s.reportHeader = "stale"; // the load must start from the defaults, not from this
        LoadSettings(dir.path(), s, trace);
        return s;
    }

    test::TempWorkDir dir;
    VirtualClock clock;
    Trace trace{clock, 1};
};

TEST_F(SettingsTest, MissingFileIsCreatedEmptyAndGivesEveryDefault) {
    std::vector<std::string> traced;
    trace.setSink([&](const std::string& l) { traced.push_back(l.substr(l.find(' ') + 1)); });
    Settings s;
    s.commPort = "7";
    LoadSettings(dir.path(), s, trace);

    EXPECT_TRUE(textfile::fileExists(dir / "Veltrona.ini"));
    EXPECT_EQ(dir.readBytes("Veltrona.ini"), "");
    const Settings d;
    EXPECT_TRUE(s.updateDateTimeAutomatically && s.uploadVeltronaData && s.clearVeltronaMemory &&
                s.generateFrequencyReport && s.openReportAfterProcessing);
    EXPECT_FALSE(s.discardUnknownCheckpoints);
    EXPECT_TRUE(s.removeDuplicatePoints);
    EXPECT_TRUE(s.secureReports);
    EXPECT_EQ(s.reportHeader, "Veltrona");
    EXPECT_EQ(s.reportFooter, d.reportFooter);
    EXPECT_EQ(s.aboutWeb, d.reportFooter);
    EXPECT_EQ(s.languageFile, "English.lng");
    EXPECT_EQ(s.commPort, "0");
    EXPECT_TRUE(s.nightShift);
    EXPECT_EQ(s.defaultReport, 3);
    EXPECT_EQ(s.defaultSite, 0);
    EXPECT_EQ(s.filetype, "txt");
    EXPECT_TRUE(s.buttonRead);
    EXPECT_FALSE(s.cal);
    EXPECT_EQ(traced, (std::vector<std::string>{"Start loadsetup", "finished created Veltrona ini",
                                                "Set defaults", "finished ini file load"}));
}

struct LoadCase {
    const char* name;
    std::vector<std::string> lines;
    std::function<bool(const Settings&)> holds;
};

class SettingsLoadTest : public SettingsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(SettingsLoadTest, Reads) {
    const Settings s = load(GetParam().lines);
    EXPECT_TRUE(GetParam().holds(s)) << GetParam().name;
}

const LoadCase loadCases[] = {
    {"NameWithoutRegardToCase",
     {"updatedatetimeautomatically=F"},
     [](const Settings& s) { return !s.updateDateTimeAutomatically; }},
    {"OnlyExactTIsOn",
     {"SecureReports=t", "GenerateFrequencyReport=TRUE", "UploadVeltronaData=T"},
     [](const Settings& s) {
         return !s.secureReports && !s.generateFrequencyReport && s.uploadVeltronaData;
     }},
    {"EmptyValueSwitchesOff",
     {"SecureReports="},
     [](const Settings& s) { return !s.secureReports; }},
    {"FirstOfTwoLinesCounts",
     {"ReportHeader=First", "ReportHeader=Second"},
     [](const Settings& s) { return s.reportHeader == "First"; }},
    {"ValueKeepsFurtherEquals",
     {"ReportHeader=A=B"},
     [](const Settings& s) { return s.reportHeader == "A=B"; }},
    {"EmptyTextValue", {"ReportHeader="}, [](const Settings& s) { return s.reportHeader.empty(); }},
    {"ValueKeepsBlanks",
     {"ReportFooter= a b "},
     [](const Settings& s) { return s.reportFooter == " a b "; }},
    {"NameWithBlankBeforeEqualsIsAnotherName",
     {"ReportHeader =X"},
     [](const Settings& s) { return s.reportHeader == "Veltrona"; }},
    {"LinesWithoutEqualsIgnored",
     {"ReportHeader", "[section]", "filetype=csv"},
     [](const Settings& s) { return s.reportHeader == "Veltrona" && s.filetype == "csv"; }},
    {"DayIsAnythingButNight",
     {"DayorNight=night"},
     [](const Settings& s) { return !s.nightShift; }},
    {"NightExact", {"DayorNight=Night"}, [](const Settings& s) { return s.nightShift; }},
    {"Integers",
     {"DefaultReport=2", "DefaultSite=4"},
     [](const Settings& s) { return s.defaultReport == 2 && s.defaultSite == 4; }},
    {"ButtonReadTakesOnAndAnySpelling",
     {"buttonread=F", "Cal=On"},
     [](const Settings& s) { return !s.buttonRead && s.cal; }},
    {"ButtonReadOn", {"Buttonread=On"}, [](const Settings& s) { return s.buttonRead; }},
    {"InertKeysStored",
     {"AboutLine1=L1", "AboutLine6=L6", "AboutEmail=e", "OutputFile=o", "VeltronaId=v",
      "ShowCharge=T", "MinimizeOnStartup=T"},
     [](const Settings& s) {
         return s.aboutLines[0] == "L1" && s.aboutLines[5] == "L6" && s.aboutEmail == "e" &&
                s.outputFile == "o" && s.veltronaId == "v" && s.showCharge && s.minimizeOnStartup;
     }},
    // A hand-edited number must not cost the keys after it.
    {"NonNumericReportKeepsDefaultAndLoadGoesOn",
     {"DefaultReport=x", "DefaultSite=2", "filetype=csv"},
     [](const Settings& s) {
         return s.defaultReport == 3 && s.defaultSite == 2 && s.filetype == "csv";
     }},
    {"NonNumericSiteKeepsDefault",
     {"DefaultSite=1a", "DefaultReport=1"},
     [](const Settings& s) { return s.defaultSite == 0 && s.defaultReport == 1; }},
    {"EmptyNumberKeepsDefault",
     {"DefaultSite="},
     [](const Settings& s) { return s.defaultSite == 0; }},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsLoadTest, ::testing::ValuesIn(loadCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SettingsTest, NonNumericValueIsTraced) {
    std::vector<std::string> traced;
    trace.setSink([&](const std::string& l) { traced.push_back(l); });
    load({"DefaultReport=abc"});
    bool found = false;
    for (const auto& l : traced)
        found = found || (l.find("DefaultReport") != std::string::npos &&
                          l.find("abc") != std::string::npos);
    EXPECT_TRUE(found);
}

TEST(SetSettingTest, ReplacesFirstMatchInPlaceOrAppends) {
    std::vector<std::string> lines = {"; comment", "reportheader=Old", "CommPort=1",
                                      "ReportHeader=Second", "no equals here"};
    SetSetting(lines, "ReportHeader", "New");
    SetSetting(lines, "filetype", "csv");
    SetSetting(lines, "CommPort", "3");
    EXPECT_EQ(lines,
              (std::vector<std::string>{"; comment", "ReportHeader=New", "CommPort=3",
                                        "ReportHeader=Second", "no equals here", "filetype=csv"}));
}

TEST_F(SettingsTest, SaveKeepsEveryLineAndReadsBack) {
    dir.writeLines("veltrona.INI", {"Unknown=1", "SecureReports=T", "x"});
    auto lines = ReadSettingsLines(dir.path());
    SetSetting(lines, "SecureReports", "F");
    SetSetting(lines, "DefaultSite", "2");
    SaveSettingsLines(dir.path(), lines);

    // The existing file, whatever the case of its name, is the one rewritten.
    EXPECT_EQ(dir.readBytes("veltrona.INI"),
              "Unknown=1\r\nSecureReports=F\r\nx\r\nDefaultSite=2\r\n");
    EXPECT_FALSE(textfile::fileExists(dir / "Veltrona.ini"));
    Settings s;
    LoadSettings(dir.path(), s, trace);
    EXPECT_FALSE(s.secureReports);
    EXPECT_EQ(s.defaultSite, 2);
}

TEST(SettingsFileTest, ReadOfMissingFileIsEmpty) {
    test::TempWorkDir dir;
    EXPECT_TRUE(ReadSettingsLines(dir.path()).empty());
}

TEST(PortNumberOfTest, DecimalOrZero) {
    const std::pair<const char*, int> cases[] = {{"0", 0},  {"3", 3},  {"12", 12},
                                                 {"", 0},   {"x", 0},  {"3a", 0},
                                                 {"-1", 0}, {" 3", 0}, {"99999999999", 0}};
    for (const auto& [text, port] : cases)
        EXPECT_EQ(PortNumberOf(text), port) << "CommPort=" << text;
}

} // namespace
} // namespace veltrona
