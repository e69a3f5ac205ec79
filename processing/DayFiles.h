#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace veltrona {

// The day file of `site` for `day` (yymmdd): site\Raw\yymmdd.txt, the on-disk spelling of each
// name when one differs only in case.
std::filesystem::path DayFilePath(const std::filesystem::path& workDir, const std::string& site,
                                  const std::string& day);

// Orders record keys without regard to case, ties by bytes.
bool RecordKeyLess(const std::string& a, const std::string& b);

// Merges `records` (lines of 22 characters or more; shorter ones are passed over) into the site's
// day files: each touched day file is read, joined with the new records of its day, sorted by
// record key (duplicates kept) and replaced atomically with lines of the records' characters
// 1-22. Day files the records do not touch stay as they are. A line of a day file whose own
// date is another day stays in the file it was found in. Creates the Raw directory when missing.
void MergeIntoDayFiles(const std::filesystem::path& workDir, const std::string& site,
                       const std::vector<std::string>& records);

} // namespace veltrona
