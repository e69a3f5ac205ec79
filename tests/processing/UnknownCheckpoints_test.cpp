#include "processing/UnknownCheckpoints.h"
#include "sites/CheckpointList.h"
#include "tests/processing/ProcessTestSupport.h"

namespace veltrona::test {
namespace {

class UnknownCheckpointsTest : public ProcessTest {
protected:
    void SetUp() override {
        ws.settings.secureReports = false;
        ws.settings.openReportAfterProcessing = false;
        addSite({"A", {"00A001 = Alpha gate"}});
        addSite({"B", {"00B001 = Bravo gate"}});
        startUp();
    }
    // Processes an upload with one clocking of B and two of unknown checkpoints, answering the
    // question with `answer`; counts how often it was asked.
    void processWith(std::function<void(Workspace&)> answer) {
        ws.askUnknownCheckpoints = [this, answer](Workspace& w) {
            ++asked;
            answer(w);
        };
        process({"Id : Brin0042", Rec("00B001", "110809", "10", "00"),
                 Rec("0EEE01", "110809", "10", "10"), Rec("0EEE02", "110809", "10", "20"), "Done"});
    }
    std::vector<std::string> names(const std::string& site) const {
        std::vector<std::string> out;
        for (const auto& l : listing(dir.readLines(site + "/08091405.txt")))
            out.push_back(l.substr(35));
        return out;
    }
    int asked = 0;
};

TEST_F(UnknownCheckpointsTest, PlacedInAnExistingSiteFollowItsOwnClockings) {
    processWith([](Workspace& w) {
        EXPECT_TRUE(PlaceUnknownCheckpoints(w, UnknownCheckpointsChoice::ExistingSite, "B"));
    });
    EXPECT_EQ(asked, 1);
    // Each unknown Id is numbered after the entries looked at, the one added before included.
    const std::string unknown = ws.messages.Message(23);
    EXPECT_EQ(names("B"), (std::vector<std::string>{"Bravo gate", "2 " + unknown, "3 " + unknown}));
    const auto list = ReadCheckpoints(dir.path(), "B");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].id + " " + list[1].name, "0EEE01 2 " + unknown);
    EXPECT_EQ(list[2].id + " " + list[2].name, "0EEE02 3 " + unknown);
    EXPECT_FALSE(textfile::fileExists(dir / "A/08091405.txt"));
}

TEST_F(UnknownCheckpointsTest, PlacedInANewSiteGetTheirOwnReport) {
    prompts.inputAnswers.push_back("Store");
    processWith([](Workspace& w) {
        EXPECT_TRUE(PlaceUnknownCheckpoints(w, UnknownCheckpointsChoice::NewSite));
        // Before its report the new site has the skeleton list and an end mark in the table.
        EXPECT_EQ(textfile::readLines(CheckpointListPath(w.workDir, "Store")),
                  SkeletonCheckpointList());
        EXPECT_EQ(w.checkpoints.slot(2, 0), "zzzzzz");
    });
    EXPECT_EQ(ws.sites, (SiteList{"A", "B", "Store"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Store/Raw"));
    EXPECT_EQ(names("Store").size(), 2u);
    EXPECT_EQ(ReadCheckpoints(dir.path(), "Store").size(), 2u);
    EXPECT_EQ(names("B"), std::vector<std::string>{"Bravo gate"});
    // One log line, for B: creating the site here is not logged, its report is.
    const auto log = dir.readLines("LG201108.txt");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[1].find("\"Store\""), std::string::npos);
    EXPECT_EQ(prompts.inputs.size(), 1u);
}

TEST_F(UnknownCheckpointsTest, IgnoredOrDiscardedReachNoReport) {
    for (bool discard : {false, true}) {
        ws.settings.discardUnknownCheckpoints = discard;
        asked = 0;
        processWith([](Workspace& w) {
            EXPECT_TRUE(PlaceUnknownCheckpoints(w, UnknownCheckpointsChoice::Ignore));
        });
        EXPECT_EQ(asked, discard ? 0 : 1) << discard;
        EXPECT_EQ(names("B"), std::vector<std::string>{"Bravo gate"}) << discard;
        std::filesystem::remove(dir / "B/08091405.txt");
    }
    EXPECT_EQ(ReadCheckpoints(dir.path(), "B").size(), 1u);
}

TEST_F(UnknownCheckpointsTest, NotAskedWithoutUnknownClockings) {
    ws.askUnknownCheckpoints = [this](Workspace&) { ++asked; };
    process({"Id : Brin0042", Rec("00B001", "110809", "10", "00"), "Done"});
    EXPECT_EQ(asked, 0);
}

TEST_F(UnknownCheckpointsTest, ChoicesTheDialogDoesNotAcceptKeepItOpen) {
    processWith([this](Workspace& w) {
        EXPECT_FALSE(PlaceUnknownCheckpoints(w, UnknownCheckpointsChoice::ExistingSite, ""));
        EXPECT_EQ(prompts.messages.back(), w.messages.Message(32) + "\r" + w.messages.Message(33) +
                                               "\r" + w.messages.Message(34));
        EXPECT_FALSE(PlaceUnknownCheckpoints(w, UnknownCheckpointsChoice::NewSite)); // cancelled
        prompts.inputAnswers.push_back("B");                                         // exists
        EXPECT_FALSE(PlaceUnknownCheckpoints(w, UnknownCheckpointsChoice::NewSite));
        EXPECT_EQ(prompts.messages.back(), w.messages.Message(20) + " B");
        EXPECT_EQ(w.sites, (SiteList{"A", "B"}));
    });
    EXPECT_EQ(names("B"), std::vector<std::string>{"Bravo gate"});
}

} // namespace
} // namespace veltrona::test
