#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace veltrona {

// The day file of `site` for `day` (yymmdd): site\Raw\yymmdd.txt, the on-disk spelling of each
// name when one differs only in case.
std::filesystem::path DayFilePath(const std::filesystem::path& workDir, const std::string& site,
                                  const std::string& day);

// Orders record keys without regard to case, ties by bytes.
bool RecordKeyLess(const std::string& a, const std::string& b);

// The new contents of the day files `records` touch: for each, its path and its merged lines.
using DayFileUpdates = std::vector<std::pair<std::filesystem::path, std::vector<std::string>>>;

// Reads the touched day files and merges `records` into them (the rules of MergeIntoDayFiles)
// without writing anything but a missing Raw directory; the results are appended to `updates`.
void PlanDayFiles(const std::filesystem::path& workDir, const std::string& site,
                  const std::vector<std::string>& records, DayFileUpdates& updates);

// Merges `records` (lines of 22 characters or more; shorter ones are passed over) into the site's
// day files: each touched day file is read, joined with the new records of its day, sorted by
// record key (duplicates kept) and replaced atomically with lines of the records' characters
// 1-22. Day files the records do not touch stay as they are. A line of a day file whose own
// date is another day stays in the file it was found in. Creates the Raw directory when missing.
void MergeIntoDayFiles(const std::filesystem::path& workDir, const std::string& site,
                       const std::vector<std::string>& records);

} // namespace veltrona
