#pragma once

#include "processing/SplitBySite.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace veltrona {

// What the raw file's Id line (the latest one read) says about the listing.
struct IdLineValues {
    std::string identity;      // characters 6 to the end
    bool combined = false;     // identity longer than 16 characters: a Reports-dialog listing
    bool sorted = false;       // character 3 is "s"
    bool noSeparators = false; // character 3 is "o"

    static IdLineValues FromLine(const std::string& idLine);
};

// The previous record before the first one: equal in Id, date and hour to a clocking of
// 000000123456 on 2000-01-01 01:01, which is therefore dropped as a duplicate.
inline constexpr const char* InitialPreviousRecord = "000000123456000101010101123456";

// Same Id, date and hour as `previous`, and the same minute or the one after it.
bool IsDuplicateOf(const std::string& line, const std::string& previous);
// Both lines longer than 22 characters and the line's date and time (characters 13-22, the hour
// without its flag bits) earlier than the previous record's.
bool IsReversalOf(const std::string& line, const std::string& previous);

// The counts the warnings are built from.
struct ProcessCounts {
    std::vector<int> corrupt; // per site index; [site count] for records of no site
    int reversals = 0;
    int records = 0;
    int corruptOf(int site) const {
        return site >= 0 && site < static_cast<int>(corrupt.size())
                   ? corrupt[static_cast<std::size_t>(site)]
                   : 0;
    }
};

struct ProcessSplitResult {
    SplitResult split;
    IdLineValues id;
    ProcessCounts counts;
};

// The split as processing runs it: gap lines skipped, duplicates dropped (when
// `removeDuplicates`), clock reversals, records and corrupt records counted, records of no site
// kept in the unknown scratch file. A last line that is a complete record is reported like any
// other (a download cut short by a crash keeps its last clocking); a shorter one is no record.
// `lineRead` is called for every line the main loop reads (the progress gauge).
ProcessSplitResult SplitForProcessing(const std::filesystem::path& rawFile,
                                      const SplitContext& context, bool removeDuplicates,
                                      const std::function<void()>& lineRead = {});

} // namespace veltrona
