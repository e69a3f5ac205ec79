#pragma once

#include <filesystem>
#include <span>

namespace veltrona {

class CaptionStore;
class MessageTable;
class Prompts;
class Trace;

// A language file has exactly this many lines; line n always carries the same text role.
inline constexpr int LanguageFileLineCount = 351;

// What one line (or a run of lines) of a language file sets.
struct LanguageTarget {
    enum class Kind {
        Ignored,     // read and skipped
        Message,     // message `message` (a run of lines: consecutive messages from it)
        Caption,     // caption of (window, control); control "" is the window caption
        MenuItem,    // menu or pop-up item `control` of `window`
        Column,      // column `index` (from 1) of list view `control`
        Tab,         // tab `index` (from 1) of tab control `control`
        DialogTitle, // title of file dialog `control`
        ListItem,    // item list of `control`: emptied at its first line, each line appended
    };

    int firstLine;
    int lastLine;
    Kind kind;
    int message = 0;
    const char* window = "";
    const char* control = "";
    int index = 0;
};

// The fixed meaning of every line of a language file, in line order; a line may appear in several
// rows (one per target). Lines 1..351 are all covered; unused ones by Ignored rows.
std::span<const LanguageTarget> LanguageLineTable();

// The line count by which a language file is accepted: every line read counts, a last line
// without a line end included, and an empty file counts 1. Throws FileError when unreadable.
int CountLines(const std::filesystem::path& path);

// Loads a language file into the message table (messages 1..178) and the caption store. A file
// whose line count is not 351 is refused with a message box and changes nothing. Returns true when
// the file was applied; the caller then hands its copy of the messages to the PDF layout.
// Throws FileError when the file cannot be read (nothing is changed then either).
bool LoadLanguageFile(const std::filesystem::path& path, MessageTable& messages,
                      CaptionStore& captions, Prompts& prompts, Trace& trace);

} // namespace veltrona
