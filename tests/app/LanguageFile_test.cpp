#include "app/LanguageFile.h"

#include "app/CaptionStore.h"
#include "app/MessageTable.h"
#include "app/Trace.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "platform/virtual/RecordingPrompts.h"
#include "platform/virtual/VirtualClock.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace veltrona {
namespace {

using Kind = LanguageTarget::Kind;

const std::filesystem::path englishFile =
    std::filesystem::path(VELTRONA_SOURCE_DIR) / "app" / "English.lng";

// The text generated for line n of the test file: unique per line, blanks kept.
std::string lineText(int n) {
    return "L" + std::to_string(n) + " text";
}

std::vector<std::string> numberedLines(int count) {
    std::vector<std::string> lines;
    for (int n = 1; n <= count; ++n)
        lines.push_back(lineText(n));
    return lines;
}

// The caption store's current text of one target, whatever its kind.
std::optional<std::string> storedText(const CaptionStore& c, const LanguageTarget& t) {
    switch (t.kind) {
    case Kind::Caption:
        return c.caption(t.window, t.control);
    case Kind::MenuItem:
        return c.menuItem(t.window, t.control);
    case Kind::Column:
        return c.column(t.window, t.control, t.index);
    case Kind::Tab:
        return c.tab(t.window, t.control, t.index);
    case Kind::DialogTitle:
        return c.dialogTitle(t.window, t.control);
    default:
        return std::nullopt;
    }
}

std::string targetName(const LanguageTarget& t) {
    return std::string(t.window) + "." + t.control + "#" + std::to_string(t.index) + " (line " +
           std::to_string(t.firstLine) + ")";
}

class LanguageFileTest : public ::testing::Test {
protected:
    bool load(const std::filesystem::path& file) {
        return LoadLanguageFile(file, messages, captions, prompts, trace);
    }
    void loadDefaults() { messages.SetDefaultMessages(trace); }

    test::TempWorkDir dir;
    VirtualClock clock;
    Trace trace{clock, 1};
    MessageTable messages;
    CaptionStore captions;
    RecordingPrompts prompts;
};

TEST(LanguageLineTableTest, CoversEveryLineAndEveryMessageOnce) {
    std::set<int> lines;
    std::map<int, int> messageLine;
    int previousFirst = 0;
    for (const auto& t : LanguageLineTable()) {
        EXPECT_GE(t.firstLine, previousFirst) << "rows out of line order at " << t.firstLine;
        previousFirst = t.firstLine;
        ASSERT_LE(t.firstLine, t.lastLine);
        for (int n = t.firstLine; n <= t.lastLine; ++n) {
            lines.insert(n);
            if (t.kind == Kind::Message) {
                const int m = t.message + (n - t.firstLine);
                EXPECT_FALSE(messageLine.count(m)) << "message " << m << " on two lines";
                messageLine[m] = n;
            }
        }
    }
    EXPECT_EQ(lines.size(), 351u);
    EXPECT_EQ(*lines.begin(), 1);
    EXPECT_EQ(*lines.rbegin(), 351);
    for (int m = 1; m <= 178; ++m)
        EXPECT_TRUE(messageLine.count(m)) << "message " << m << " has no line";
    EXPECT_EQ(messageLine.rbegin()->first, 178);
}

TEST(CountLinesTest, CountsAsTheLanguageCheckDoes) {
    const struct {
        const char* name;
        std::string bytes;
        int count;
    } cases[] = {
        {"empty file", "", 1},
        {"one line ended", "a\r\n", 1},
        {"one line unended", "a", 1},
        {"last line unended", "a\r\nb", 2},
        {"empty lines", "\r\n\r\n\r\n", 3},
        {"bare LF", "a\nb\n", 2},
    };
    test::TempWorkDir dir;
    for (const auto& c : cases) {
        dir.writeBytes("x.lng", c.bytes);
        EXPECT_EQ(CountLines(dir / "x.lng"), c.count) << c.name;
    }
}

TEST_F(LanguageFileTest, ShippedEnglishFileHas351LinesAndLoadsTheDefaults) {
    ASSERT_EQ(CountLines(englishFile), 351);
    const std::string bytes = textfile::readAll(englishFile);
    std::size_t crlf = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
            ++crlf;
        }
    }
    EXPECT_EQ(crlf, 351u);

    loadDefaults();
    const MessageTable defaults = messages;
    ASSERT_TRUE(load(englishFile));
    EXPECT_TRUE(prompts.messages.empty());
    // The shipped file says in English what the built-in defaults say.
    for (int m = 1; m <= 114; ++m)
        EXPECT_EQ(messages.Message(m), defaults.Message(m)) << "message " << m;
    for (int m = 115; m <= 178; ++m)
        EXPECT_FALSE(messages.Message(m).empty()) << "message " << m;
    EXPECT_EQ(captions.caption("TfrmMain", "GroupBox1"), "Baton Information");
    EXPECT_EQ(captions.items("Tfrmpoints", "ComboBox2"),
              (std::vector<std::string>{"none", "Single Baton", "Multiple Baton"}));
    EXPECT_EQ(captions.items("TfrmSiteDel", "Memo1")->front(),
              "You are atempting to remove a site ");
}

TEST_F(LanguageFileTest, EveryLineReachesEveryTarget) {
    loadDefaults();
    messages.Set(179, "kept");
    dir.writeLines("Test.lng", numberedLines(351));
    std::vector<std::string> traced;
    trace.setSink([&](const std::string& l) { traced.push_back(l.substr(l.find(' ') + 1)); });
    ASSERT_TRUE(load(dir / "Test.lng"));

    std::map<std::string, std::string> lastByTarget; // later line wins
    std::map<std::string, std::vector<std::string>> lists;
    for (const auto& t : LanguageLineTable()) {
        for (int n = t.firstLine; n <= t.lastLine; ++n) {
            if (t.kind == Kind::Message)
                EXPECT_EQ(messages.Message(t.message + n - t.firstLine), lineText(n))
                    << "message " << t.message + n - t.firstLine << " from line " << n;
            else if (t.kind == Kind::ListItem)
                lists[std::string(t.window) + "." + t.control].push_back(lineText(n));
            else if (t.kind != Kind::Ignored)
                lastByTarget[targetName(t).substr(0, targetName(t).find(" (line"))] = lineText(n);
        }
    }
    for (const auto& t : LanguageLineTable()) {
        if (t.kind == Kind::Message || t.kind == Kind::Ignored || t.kind == Kind::ListItem)
            continue;
        const std::string key = targetName(t).substr(0, targetName(t).find(" (line"));
        EXPECT_EQ(storedText(captions, t), lastByTarget[key]) << targetName(t);
    }
    EXPECT_EQ(*captions.items("Tfrmpoints", "ComboBox2"), lists["Tfrmpoints.ComboBox2"]);
    EXPECT_EQ(*captions.items("TfrmSiteDel", "Memo1"), lists["TfrmSiteDel.Memo1"]);

    // The six controls named twice show their later line.
    const struct {
        const char* window;
        const char* control;
        int line;
    } twice[] = {{"TfrmNew", "Label1", 250},    {"TfrmNew", "Label4", 252},
                 {"TfrmNew", "Label5", 253},    {"TfrmNew", "CheckBox1", 135},
                 {"Tfrmpoints", "Label3", 219}, {"Tfrmpoints", "Button1", 238}};
    for (const auto& c : twice)
        EXPECT_EQ(captions.caption(c.window, c.control), lineText(c.line))
            << c.window << "." << c.control;
    // Lines of messages that sit apart from their neighbours' runs.
    const std::pair<int, int> messageLines[] = {
        {34, 34},   {35, 91},   {37, 93},   {40, 97},  {56, 74},   {57, 143},
        {81, 175},  {113, 207}, {114, 286}, {145, 61}, {146, 317}, {147, 253},
        {148, 251}, {159, 328}, {172, 120}, {173, 44}, {174, 347}, {178, 351}};
    for (const auto& [m, line] : messageLines)
        EXPECT_EQ(messages.Message(m), lineText(line)) << "message " << m;
    EXPECT_EQ(captions.caption("TfrmPref", CaptionStore::WindowCaption), lineText(48));
    EXPECT_EQ(captions.dialogTitle("TfrmMain", "OpenDialog1"), lineText(90));
    EXPECT_EQ(captions.column("Tfrmpoints", "ListView", 3), lineText(78));
    EXPECT_EQ(captions.tab("TfrmFPSetup", "TabControl1", 2), lineText(140));

    EXPECT_EQ(messages.Message(179), "kept");
    EXPECT_EQ(messages.Message(200), "");
    EXPECT_EQ(captions.checked("TfrmNew", "CheckBox1"), false);
    EXPECT_EQ(captions.visible("TfrmMain", "FailedPatrol1"), true);
    EXPECT_EQ(captions.width("TfrmFPSetup", "Label5"), 285);
    EXPECT_EQ(captions.width("TfrmFPSetup", "Label6"), 156);
    EXPECT_EQ(traced.front(), "Load Language file start");
    EXPECT_EQ(traced.back(), "Load language file end");
}

TEST_F(LanguageFileTest, WrongLineCountIsRefusedAndChangesNothing) {
    const struct {
        const char* name;
        int lines;
        bool extraLineEnd; // one more CR LF after the last line: an empty 352nd line
        int count;
    } cases[] = {{"350 lines", 350, false, 350},
                 {"352 lines", 352, false, 352},
                 {"351 lines and an empty one", 351, true, 352}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loadDefaults();
        const MessageTable before = messages;
        captions = CaptionStore{};
        prompts.messages.clear();
        auto lines = numberedLines(c.lines);
        if (c.extraLineEnd)
            lines.push_back("");
        dir.writeLines("Bad.lng", lines);
        const auto path = dir / "Bad.lng";

        EXPECT_FALSE(load(path));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0],
                  "Error(" + std::to_string(c.count) + ") " + path.string() +
                      " Languauge file corupt please contact You program vendor");
        for (int m = 1; m <= 200; ++m)
            ASSERT_EQ(messages.Message(m), before.Message(m)) << "message " << m;
        EXPECT_EQ(captions.generation(), 0u);
    }
}

TEST_F(LanguageFileTest, LastLineWithoutLineEndIsAccepted) {
    dir.writeLines("Test.lng", numberedLines(351), false);
    ASSERT_TRUE(load(dir / "Test.lng"));
    EXPECT_EQ(messages.Message(178), lineText(351));
}

TEST_F(LanguageFileTest, EmptyLinesEmptyEveryTarget) {
    loadDefaults();
    ASSERT_TRUE(load(englishFile));
    dir.writeLines("Empty.lng", std::vector<std::string>(351, ""));
    ASSERT_TRUE(load(dir / "Empty.lng"));
    for (int m = 1; m <= 178; ++m)
        ASSERT_EQ(messages.Message(m), "") << "message " << m;
    for (const auto& [key, text] : captions.captions())
        EXPECT_EQ(text, "") << key.first << "." << key.second;
    for (const auto& [key, text] : captions.menuItems())
        EXPECT_EQ(text, "") << key.first << "." << key.second;
    for (const auto& [key, text] : captions.columns())
        EXPECT_EQ(text, "") << std::get<1>(key);
    for (const auto& [key, text] : captions.tabs())
        EXPECT_EQ(text, "") << std::get<1>(key);
    for (const auto& [key, text] : captions.dialogTitles())
        EXPECT_EQ(text, "") << key.second;
    for (const auto& [key, list] : captions.itemLists())
        EXPECT_EQ(list, std::vector<std::string>(list.size(), "")) << key.second;
}

TEST_F(LanguageFileTest, LoadingTwiceEqualsLoadingOnce) {
    dir.writeLines("Test.lng", numberedLines(351));
    ASSERT_TRUE(load(dir / "Test.lng"));
    const auto once = captions.itemLists();
    ASSERT_TRUE(load(dir / "Test.lng"));
    EXPECT_EQ(captions.itemLists(), once);
    EXPECT_EQ(captions.items("Tfrmpoints", "ComboBox2")->size(), 3u);
    EXPECT_EQ(captions.items("TfrmSiteDel", "Memo1")->size(), 5u);
}

TEST_F(LanguageFileTest, MissingFileThrowsAndChangesNothing) {
    loadDefaults();
    const MessageTable before = messages;
    EXPECT_THROW(load(dir / "None.lng"), FileError);
    EXPECT_EQ(messages.Message(1), before.Message(1));
    EXPECT_EQ(captions.generation(), 0u);
}

TEST(MessageTableTest, DefaultsAndBounds) {
    VirtualClock clock;
    Trace trace(clock, 1);
    std::vector<std::string> traced;
    trace.setSink([&](const std::string& l) { traced.push_back(l.substr(l.find(' ') + 1)); });
    MessageTable t;
    for (int n = 115; n <= 121; ++n)
        t.Set(n, "old");
    t.SetDefaultMessages(trace);

    EXPECT_EQ(t.Message(1), "Initializing please wait...");
    EXPECT_EQ(t.Message(25), "Frequency  Id Number  Name");
    EXPECT_EQ(t.Message(30), "");
    EXPECT_EQ(t.Message(58), "Missing Wav File \"done.wav\"");
    EXPECT_EQ(t.Message(82), std::string(60, '='));
    EXPECT_EQ(t.Message(114), "Download Complete");
    EXPECT_EQ(t.Message(115), "");
    EXPECT_EQ(t.Message(120), "");
    EXPECT_EQ(t.Message(121), "old"); // only 115..120 are emptied
    EXPECT_EQ(traced, std::vector<std::string>{"flinished language file defaults"});

    t.Set(0, "x");
    t.Set(201, "x");
    EXPECT_EQ(t.Message(0), "");
    EXPECT_EQ(t.Message(201), "");
    EXPECT_EQ(t.Message(-5), "");
}

} // namespace
} // namespace veltrona
