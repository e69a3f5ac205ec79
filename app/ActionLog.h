#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace veltrona {

class Clock;

// Appends one line to the current month's action log `workDir`/LG + yyyymm + ".txt" (created when
// missing): "date time","site","action" with the date as yyyy/mm/dd hh:mm.ss. Safe to call from
// the window thread and the cycle thread at once. Throws FileError when the log cannot be written.
void AppendActionLog(const std::filesystem::path& workDir, const Clock& clock,
                     const std::string& site, const std::string& action);

// The file name of the monthly log for a year and month, e.g. LG201108.txt.
std::string ActionLogFileName(int year, int month);

// Joins fields into one comma-separated line: a field holding a blank, a control character, a
// comma or a double quote is quoted with its quotes doubled; an empty field is written as nothing.
std::string JoinCommaText(const std::vector<std::string>& fields);
// The reverse: blanks and control characters around fields are skipped, a quoted field runs to
// its closing quote ("" inside is one quote), any other field ends at a comma, blank or control
// character, and a trailing comma gives a final empty field.
std::vector<std::string> SplitCommaText(const std::string& line);

// "January", "Febuary", ... "December" for 1..12; empty for any other number.
std::string MonthName(int month);

// Whether a file named like "LG*.txt" is offered in the log file list (not when its third
// character is "m").
bool IsListedLogFile(const std::string& fileName);
// The caption of a log file in the list: month name, blank, year ("August 2011" for
// LG201108.txt); "Err " + file name when the name gives no month 1..12.
std::string LogFileCaption(const std::string& fileName);

struct LogFileEntry {
    std::string fileName; // as found in the directory
    std::string caption;
};
// The listed monthly log files of `workDir` (names matching LG*.txt without regard to case),
// sorted by name.
std::vector<LogFileEntry> ListLogFiles(const std::filesystem::path& workDir);

} // namespace veltrona
