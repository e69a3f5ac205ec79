#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

class Prompts;

// One row of a site's stored-report list: "2011/08/09" and "14:05" for 08091405.txt modified in
// 2011. A row made for a file whose name is not a report stamp keeps empty texts.
struct StoredReportRow {
    std::string date;
    std::string time;
    std::string fileName; // the listed file's name, for the caller's information
};

// Lists the stored reports of `siteDir` whose names match `mask` ("*.pdf", "*.txt", patterns
// separated by ";", without regard to case). Files are taken in case-insensitive name order;
// a misnamed file shows its message through `prompts` and gets an empty row; the rows come back
// sorted by date text (rows of equal date keep name order). Throws FileError when the directory
// cannot be listed.
std::vector<StoredReportRow> ListStoredReports(const std::filesystem::path& siteDir,
                                               const std::string& mask, Prompts& prompts);

// True when `name` matches one of the ";"-separated wildcard patterns ('*', '?'), ignoring case.
bool MatchesMask(std::string_view name, std::string_view mask);

// The message shown for a file that does not belong among a site's stored reports.
std::string MisnamedReportMessage(const std::string& name, const std::string& directory);

// The report files behind a row: workDir/site/MMDDhhmm + ".txt" and + ".pdf", names resolved
// without regard to case. nullopt for a row that cannot be mapped (a misnamed file's row).
struct StoredReportFiles {
    std::filesystem::path txt;
    std::filesystem::path pdf;
};
std::optional<StoredReportFiles> StoredReportFilesOf(const std::filesystem::path& workDir,
                                                     const std::string& site,
                                                     const StoredReportRow& row);

} // namespace veltrona
