#include "app/MessageTable.h"
#include "platform/virtual/RecordingPrompts.h"
#include "sites/SiteList.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

class SiteListTest : public ::testing::Test {
protected:
    SiteListTest() {
        messages.Set(2, "New Site");
        messages.Set(3, "Enter in the New Site Name");
        messages.Set(20, "Could Not Create the new site");
    }
    test::TempWorkDir dir;
    MessageTable messages;
    RecordingPrompts prompts;
};

TEST_F(SiteListTest, ListsDirectoriesSortedWithoutRegardToCase) {
    for (const char* d : {"beta", "Alpha", "alpha", "common", ".hidden", "Zulu"})
        fs::create_directory(dir / d);
    dir.writeLines("notasite.txt", {"x"});
    // Same letters sort together; the tie goes by bytes, so "Alpha" before "alpha".
    EXPECT_EQ(ListSites(dir.path()), (SiteList{"Alpha", "alpha", "beta", "common", "Zulu"}));
}

TEST_F(SiteListTest, IndexPrefersTheExactSpelling) {
    const SiteList sites{"Alpha", "alpha", "Beta"};
    EXPECT_EQ(SiteIndexOf(sites, "alpha"), 1);
    EXPECT_EQ(SiteIndexOf(sites, "BETA"), 2);
    EXPECT_EQ(SiteIndexOf(sites, "Gamma"), -1);
    EXPECT_TRUE(IsCommonSite("COMMON"));
    EXPECT_FALSE(IsCommonSite("common2"));
}

TEST_F(SiteListTest, EnsureSiteFilesWritesTheSkeletonOnlyWhenMissing) {
    fs::create_directory(dir / "A");
    EnsureSiteFiles(dir.path(), "A");
    EXPECT_TRUE(fs::is_directory(dir / "A/Raw"));
    EXPECT_EQ(dir.readBytes("A/checkpt.lst"),
              "//Checkpoint list for Veltrona\r\n\r\n\r\n//End of file\r\n");

    // An existing list in another spelling, and a "raw" directory, are the site's files.
    fs::create_directory(dir / "B");
    fs::create_directory(dir / "B/raw");
    dir.writeLines("B/Checkpt.lst", {"keep"});
    EnsureSiteFiles(dir.path(), "B");
    EXPECT_FALSE(fs::exists(dir / "B/checkpt.lst"));
    EXPECT_FALSE(fs::exists(dir / "B/Raw"));
    EXPECT_EQ(dir.readLines("B/Checkpt.lst"), std::vector<std::string>{"keep"});
}

TEST_F(SiteListTest, AskSiteNameUsesMessagesTwoAndThree) {
    prompts.inputAnswers = {std::string("Alpha"), std::string(""), std::nullopt};
    EXPECT_EQ(AskSiteName(prompts, messages), std::optional<std::string>("Alpha"));
    EXPECT_EQ(AskSiteName(prompts, messages), std::nullopt);
    EXPECT_EQ(AskSiteName(prompts, messages), std::nullopt);
    EXPECT_EQ(prompts.inputs.front(), "New Site|Enter in the New Site Name|");
}

TEST_F(SiteListTest, CreateSiteAppendsAndMakesRaw) {
    SiteList sites{"Beta"};
    ASSERT_TRUE(CreateSite(dir.path(), "Alpha", sites, prompts, messages));
    EXPECT_EQ(sites, (SiteList{"Beta", "Alpha"})); // appended, not sorted in
    EXPECT_TRUE(fs::is_directory(dir / "Alpha/Raw"));
    EXPECT_TRUE(prompts.messages.empty());
}

struct RefusedName {
    const char* label;
    std::string name;
};

class CreateSiteRefuses : public SiteListTest, public ::testing::WithParamInterface<RefusedName> {};

TEST_P(CreateSiteRefuses, ShowsMessage20AndChangesNothing) {
    fs::create_directory(dir / "Existing");
    fs::create_directory(dir / "sub");
    SiteList sites{"Existing", "sub"};
    const std::string name = GetParam().name;
    EXPECT_FALSE(CreateSite(dir.path(), name, sites, prompts, messages));
    EXPECT_EQ(sites, (SiteList{"Existing", "sub"}));
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Could Not Create the new site " + name});
    // Nothing was made outside the working directory or below another site.
    EXPECT_EQ(ListSites(dir.path()), sites);
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "escaped"));
    EXPECT_TRUE(fs::is_empty(dir / "sub"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, CreateSiteRefuses,
    ::testing::Values(RefusedName{"exists", "Existing"}, RefusedName{"empty", ""},
                      RefusedName{"dot", "."}, RefusedName{"dotdot", ".."},
                      RefusedName{"parent", "../escaped"}, RefusedName{"slash", "sub/inner"},
                      RefusedName{"backslash", "sub\\inner"}, RefusedName{"newline", "a\nb"},
                      RefusedName{"tab", "a\tb"}, RefusedName{"del", std::string("a\x7f")}),
    [](const auto& p) { return std::string(p.param.label); });

} // namespace
