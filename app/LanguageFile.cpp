#include "app/LanguageFile.h"

#include "app/CaptionStore.h"
#include "app/MessageTable.h"
#include "app/Trace.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace veltrona {

namespace {

using Kind = LanguageTarget::Kind;

constexpr LanguageTarget ignored(int first, int last) {
    return {first, last, Kind::Ignored};
}
constexpr LanguageTarget messages(int first, int last, int firstMessage) {
    return {first, last, Kind::Message, firstMessage};
}
constexpr LanguageTarget caption(int line, const char* window, const char* control) {
    return {line, line, Kind::Caption, 0, window, control};
}
constexpr LanguageTarget menuItem(int line, const char* window, const char* item) {
    return {line, line, Kind::MenuItem, 0, window, item};
}
constexpr LanguageTarget column(int line, const char* window, const char* list, int index) {
    return {line, line, Kind::Column, 0, window, list, index};
}
constexpr LanguageTarget tab(int line, const char* window, const char* tabs, int index) {
    return {line, line, Kind::Tab, 0, window, tabs, index};
}
constexpr LanguageTarget dialogTitle(int line, const char* window, const char* dialog) {
    return {line, line, Kind::DialogTitle, 0, window, dialog};
}
constexpr LanguageTarget listItems(int first, int last, const char* window, const char* control) {
    return {first, last, Kind::ListItem, 0, window, control};
}

// Line by line, every target of the language file. Rows of one line apply in this order; where
// two lines name the same control the later line wins simply by being applied later.
constexpr LanguageTarget LineTable[] = {
    messages(1, 34, 1),
    caption(35, "TfrmMain", "GroupBox1"),
    caption(36, "TfrmMain", "lblID"),
    caption(37, "TfrmMain", "lblVer"),
    caption(38, "TfrmMain", "lblDate"),
    caption(39, "TfrmMain", "lblTime"),
    caption(40, "TfrmMain", "GroupBox3"),
    ignored(41, 42),
    menuItem(43, "TfrmMain", "File1"),
    menuItem(44, "TfrmMain", "Open1"),
    messages(44, 44, 173),
    menuItem(45, "TfrmMain", "Import1"),
    menuItem(46, "TfrmMain", "Exit1"),
    menuItem(47, "TfrmMain", "Setup1"),
    menuItem(48, "TfrmMain", "Preferences1"),
    caption(48, "TfrmMain", "Label6"),
    caption(48, "TfrmMain", "BitBtn3"),
    caption(48, "TfrmPref", ""),
    caption(49, "TfrmPref", "CheckBox1"),
    caption(50, "TfrmPref", "CheckBox3"),
    caption(51, "TfrmPref", "CheckBox4"),
    caption(52, "TfrmPref", "CheckBox5"),
    menuItem(53, "TfrmMain", "Checkpoints1"),
    caption(53, "TfrmMain", "Label7"),
    caption(53, "TfrmMain", "BitBtn2"),
    menuItem(54, "TfrmMain", "SiteSetup1"),
    ignored(55, 55),
    menuItem(56, "TfrmMain", "IdNumber1"),
    caption(57, "TfrmPref", "Label2"),
    menuItem(58, "TfrmMain", "Help1"),
    caption(58, "TfrmMain", "Label2"),
    caption(58, "TfrmMain", "BitBtn4"),
    menuItem(59, "TfrmMain", "Index1"),
    menuItem(60, "TfrmMain", "search1"),
    menuItem(61, "TfrmMain", "About1"),
    messages(61, 61, 145),
    ignored(62, 62),
    caption(63, "TfrmIdNum", "Label1"),
    caption(64, "TfrmIdNum", ""),
    caption(65, "TfrmIdNum", "btnOk"),
    caption(66, "TfrmIdNum", "Button1"),
    ignored(67, 73),
    caption(74, "Tfrmpoints", "btnAdd"),
    menuItem(74, "Tfrmpoints", "Add1"),
    menuItem(74, "Tfrmpoints", "Add2"),
    messages(74, 74, 56),
    caption(75, "Tfrmpoints", "btnDeleate"),
    menuItem(75, "Tfrmpoints", "Delete1"),
    menuItem(75, "Tfrmpoints", "Delete2"),
    caption(76, "Tfrmpoints", "Label3"),
    caption(76, "TfrmFPSetup", "Label3"),
    column(77, "Tfrmpoints", "ListView", 2),
    column(78, "Tfrmpoints", "ListView", 3),
    ignored(79, 81),
    caption(82, "TfrmFPSetup", "Button1"),
    caption(82, "TfrmInputBox", "Button1"),
    caption(82, "TfrmPref", "Button1"),
    caption(83, "TfrmUnknownP", ""),
    caption(84, "TfrmUnknownP", "Label1"),
    caption(85, "TfrmUnknownP", "Label2"),
    caption(86, "TfrmUnknownP", "RadioButton1"),
    caption(87, "TfrmUnknownP", "RadioButton2"),
    caption(88, "TfrmUnknownP", "RadioButton3"),
    caption(88, "TfrmPref", "CheckBox6"),
    ignored(89, 89),
    dialogTitle(90, "TfrmMain", "OpenDialog1"),
    messages(91, 91, 35),
    caption(91, "TfrmInputBox", ""),
    messages(92, 92, 36),
    caption(92, "TfrmInputBox", "Label1"),
    messages(93, 95, 37),
    caption(96, "TfrmPref", "CheckBox2"),
    messages(97, 97, 40),
    caption(97, "TfrmSiteDel", "Label1"),
    messages(98, 98, 41),
    caption(99, "TfrmFPSetup", ""),
    menuItem(100, "TfrmMain", "FailedPatrol1"),
    caption(101, "TfrmFPSetup", "Label5"),
    caption(102, "TfrmFPSetup", "Label1"),
    messages(103, 103, 52),
    caption(103, "TfrmFPSetup", "Label2"),
    messages(104, 104, 53),
    caption(104, "TfrmFPSetup", "Label4"),
    caption(105, "TfrmFPSetup", "Label6"),
    caption(106, "TfrmFPSetup", "Button2"),
    caption(106, "TfrmInputBox", "Button2"),
    messages(107, 108, 42),
    ignored(109, 109),
    messages(110, 112, 44),
    messages(113, 113, 47),
    caption(113, "TfrmNew", "Label5"),
    messages(114, 114, 48),
    caption(115, "TfrmNew", ""),
    caption(115, "TfrmMain", "Label8"),
    caption(115, "TfrmMain", "BitBtn1"),
    caption(116, "TfrmNew", "Label1"),
    ignored(117, 117),
    caption(118, "TfrmNew", "CheckBox1"),
    ignored(119, 119),
    caption(120, "TfrmNew", "Button2"),
    messages(120, 120, 172),
    caption(121, "TfrmPref", "Button2"),
    caption(121, "TfrmSiteDel", "Button1"),
    messages(122, 124, 49),
    ignored(125, 133),
    caption(134, "TfrmNew", "CheckBox3"),
    caption(135, "TfrmNew", "CheckBox1"),
    caption(136, "TfrmNew", "CheckBox2"),
    caption(137, "TfrmNew", "Label4"),
    caption(138, "TfrmMain", "Label4"),
    tab(139, "TfrmFPSetup", "TabControl1", 1),
    tab(140, "TfrmFPSetup", "TabControl1", 2),
    messages(141, 141, 54),
    caption(142, "Tfrmpoints", "Label10"),
    messages(142, 142, 55),
    messages(143, 163, 57),
    caption(164, "TfrmNew", "Label6"),
    caption(165, "TfrmPref", "CheckBox8"),
    caption(166, "TfrmPref", "CheckBox7"),
    caption(167, "TfrmPref", "Label1"),
    caption(168, "TfrmPref", "GroupBox1"),
    caption(169, "TfrmPref", "GroupBox2"),
    caption(170, "Tfrmpoints", "Button1"),
    messages(171, 173, 78),
    caption(174, "TfrmNew", "Panel1"),
    messages(175, 207, 81),
    listItems(208, 212, "TfrmSiteDel", "Memo1"),
    caption(213, "TfrmSiteDel", ""),
    caption(214, "Tfrmpoints", ""),
    caption(215, "Tfrmpoints", "GroupBox1"),
    caption(215, "TfrmNew", "GroupBox7"),
    caption(216, "Tfrmpoints", "GroupBox2"),
    caption(216, "TfrmNew", "GroupBox2"),
    caption(217, "Tfrmpoints", "GroupBox3"),
    caption(217, "TfrmNew", "GroupBox3"),
    caption(218, "Tfrmpoints", "Label1"),
    caption(219, "Tfrmpoints", "Label3"),
    caption(219, "TfrmNew", "Label20"),
    caption(220, "Tfrmpoints", "Label2"),
    caption(221, "Tfrmpoints", "Label4"),
    caption(222, "Tfrmpoints", "Label5"),
    caption(223, "Tfrmpoints", "Label6"),
    caption(224, "Tfrmpoints", "Label7"),
    caption(225, "Tfrmpoints", "Label8"),
    caption(226, "Tfrmpoints", "Label9"),
    caption(227, "Tfrmpoints", "Label11"),
    caption(228, "Tfrmpoints", "Label12"),
    caption(229, "Tfrmpoints", "Label13"),
    caption(230, "Tfrmpoints", "Label14"),
    caption(231, "Tfrmpoints", "Label15"),
    caption(232, "Tfrmpoints", "Label16"),
    caption(233, "Tfrmpoints", "Label17"),
    caption(234, "Tfrmpoints", "Label18"),
    caption(235, "Tfrmpoints", "Label19"),
    caption(236, "Tfrmpoints", "Label20"),
    caption(237, "Tfrmpoints", "Label21"),
    caption(238, "Tfrmpoints", "Button1"),
    menuItem(238, "Tfrmpoints", "ViewList1"),
    caption(239, "Tfrmpoints", "Button2"),
    caption(240, "Tfrmpoints", "Button3"),
    menuItem(240, "Tfrmpoints", "MoveUp1"),
    caption(241, "Tfrmpoints", "Button4"),
    menuItem(241, "Tfrmpoints", "MoveDown1"),
    caption(242, "Tfrmpoints", "Button5"),
    caption(243, "Tfrmpoints", "Button6"),
    caption(244, "Tfrmpoints", "Button8"),
    caption(245, "Tfrmpoints", "Button9"),
    caption(246, "Tfrmpoints", "Button10"),
    listItems(247, 249, "Tfrmpoints", "ComboBox2"),
    caption(250, "TfrmNew", "Label1"),
    messages(251, 251, 148),
    caption(252, "TfrmNew", "Label4"),
    caption(253, "TfrmNew", "Label5"),
    messages(253, 253, 147),
    ignored(254, 254),
    caption(255, "TfrmNew", "Label34"),
    caption(256, "TfrmNew", "Label9"),
    caption(257, "TfrmNew", "Label10"),
    caption(258, "TfrmNew", "Label11"),
    caption(259, "TfrmNew", "Label12"),
    caption(260, "TfrmNew", "Label13"),
    caption(261, "TfrmNew", "Label15"),
    caption(262, "TfrmNew", "Label16"),
    caption(263, "TfrmNew", "Label17"),
    ignored(264, 264),
    caption(265, "TfrmNew", "Label19"),
    caption(266, "TfrmNew", "Label21"),
    caption(267, "TfrmNew", "Label22"),
    caption(268, "TfrmNew", "Label23"),
    caption(269, "TfrmNew", "Label24"),
    caption(270, "TfrmNew", "Label25"),
    caption(271, "TfrmNew", "Label26"),
    caption(272, "TfrmNew", "Label27"),
    caption(273, "TfrmNew", "Label35"),
    caption(274, "TfrmNew", "Label37"),
    caption(275, "TfrmNew", "Label38"),
    caption(276, "TfrmNew", "Label39"),
    caption(277, "TfrmNew", "Label40"),
    caption(278, "TfrmNew", "Label41"),
    caption(279, "TfrmNew", "Label42"),
    caption(280, "TfrmNew", "Label43"),
    ignored(281, 281),
    caption(282, "TfrmNew", "GroupBox6"),
    caption(283, "TfrmNew", "RadioButton1"),
    caption(284, "TfrmNew", "RadioButton2"),
    ignored(285, 285),
    messages(286, 316, 114),
    messages(317, 317, 146),
    messages(318, 327, 149),
    messages(328, 328, 159),
    caption(328, "TfrmNew", "Label2"),
    messages(329, 331, 160),
    messages(332, 332, 163),
    caption(332, "TfrmNew", "Button1"),
    messages(333, 333, 164),
    caption(334, "TfrmNew", "Label14"),
    caption(335, "TfrmNew", "Label8"),
    caption(336, "TfrmNew", "RadioButton3"),
    caption(337, "TfrmNew", "GroupBox4"),
    caption(338, "TfrmNew", "CheckBox4"),
    caption(339, "TfrmMain", "lblExtra"),
    messages(340, 346, 165),
    messages(347, 351, 174),
};

// The rows of each line, built once from the table.
const std::array<std::vector<const LanguageTarget*>, LanguageFileLineCount + 1>& rowsByLine() {
    static const auto byLine = [] {
        std::array<std::vector<const LanguageTarget*>, LanguageFileLineCount + 1> r;
        for (const auto& t : LineTable)
            for (int n = t.firstLine; n <= t.lastLine; ++n)
                r[static_cast<std::size_t>(n)].push_back(&t);
        return r;
    }();
    return byLine;
}

// Counts as the language check always has: the last line counts without a line end, and an
// empty file counts as one line.
int countOf(const std::vector<std::string>& lines) {
    return std::max(1, static_cast<int>(lines.size()));
}

void apply(const LanguageTarget& t, int line, const std::string& text, MessageTable& table,
           CaptionStore& captions) {
    switch (t.kind) {
    case Kind::Ignored:
        break;
    case Kind::Message:
        table.Set(t.message + (line - t.firstLine), text);
        break;
    case Kind::Caption:
        captions.setCaption(t.window, t.control, text);
        break;
    case Kind::MenuItem:
        captions.setMenuItem(t.window, t.control, text);
        break;
    case Kind::Column:
        captions.setColumn(t.window, t.control, t.index, text);
        break;
    case Kind::Tab:
        captions.setTab(t.window, t.control, t.index, text);
        break;
    case Kind::DialogTitle:
        captions.setDialogTitle(t.window, t.control, text);
        break;
    case Kind::ListItem:
        // Emptied first, so loading a file twice gives the list once.
        if (line == t.firstLine)
            captions.clearItems(t.window, t.control);
        captions.appendItem(t.window, t.control, text);
        break;
    }
}

} // namespace

std::span<const LanguageTarget> LanguageLineTable() {
    return LineTable;
}

int CountLines(const std::filesystem::path& path) {
    return countOf(textfile::readLines(path));
}

bool LoadLanguageFile(const std::filesystem::path& path, MessageTable& table,
                      CaptionStore& captions, Prompts& prompts, Trace& trace) {
    trace.Main("Load Language file start");
    // Read once and count what was read, so the file cannot change between check and use, and a
    // read error leaves every text as it was.
    const auto lines = textfile::readLines(path);
    const int n = countOf(lines);
    if (n != LanguageFileLineCount) {
        prompts.showMessage("Error(" + std::to_string(n) + ") " + path.string() +
                            " Languauge file corupt please contact You program vendor");
        trace.Main("Load language file end");
        return false;
    }
    const auto& byLine = rowsByLine();
    for (int line = 1; line <= LanguageFileLineCount; ++line) {
        const std::string& text = lines[static_cast<std::size_t>(line - 1)];
        for (const LanguageTarget* t : byLine[static_cast<std::size_t>(line)])
            apply(*t, line, text, table, captions);
    }
    captions.setChecked("TfrmNew", "CheckBox1", false);
    captions.setVisible("TfrmMain", "FailedPatrol1", true);
    // Narrower labels so the translated texts wrap inside the failed-patrol dialog.
    captions.setWidth("TfrmFPSetup", "Label5", 285);
    captions.setWidth("TfrmFPSetup", "Label6", 156);
    trace.Main("Load language file end");
    return true;
}

} // namespace veltrona
