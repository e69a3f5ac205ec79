#include "processing/DayFiles.h"

#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "processing/ClockingRecord.h"
#include "sites/SiteList.h"

#include <algorithm>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

fs::path rawDir(const fs::path& workDir, const std::string& site) {
    return textfile::resolveName(SiteDir(workDir, site), "Raw");
}

} // namespace

fs::path DayFilePath(const fs::path& workDir, const std::string& site, const std::string& day) {
    return textfile::resolveName(rawDir(workDir, site), day + ".txt");
}

bool RecordKeyLess(const std::string& a, const std::string& b) {
    return textfile::lessNoCase(a, b);
}

void PlanDayFiles(const fs::path& workDir, const std::string& site,
                  const std::vector<std::string>& records, DayFileUpdates& updates) {
    // Keys per day file; a day's file is named by the records' characters 13-18, which are
    // digits in every record that reaches here (corrupt records are dropped before).
    std::map<std::string, std::vector<std::string>> days;
    for (const auto& line : records)
        if (line.size() >= record::RecordLength)
            days[std::string(record::DayOf(line))].push_back(record::RecordKey(line));
    if (days.empty())
        return;

    const fs::path dir = rawDir(workDir, site);
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        fs::create_directories(dir, ec);
        if (ec)
            throw FileError(dir, "cannot create directory: " + ec.message());
    }

    for (auto& [day, keys] : days) {
        const fs::path file = textfile::resolveName(dir, day + ".txt");
        if (textfile::fileExists(file))
            for (const auto& line : textfile::readLines(file))
                if (line.size() >= record::RecordLength)
                    keys.push_back(record::RecordKey(line));
        // Keys equal under this order are equal bytes, so duplicates need no tie rule.
        std::sort(keys.begin(), keys.end(), RecordKeyLess);
        std::vector<std::string> out;
        out.reserve(keys.size());
        for (const auto& key : keys)
            out.push_back(record::LineFromKey(key));
        updates.emplace_back(file, std::move(out));
    }
}

void MergeIntoDayFiles(const fs::path& workDir, const std::string& site,
                       const std::vector<std::string>& records) {
    DayFileUpdates updates;
    PlanDayFiles(workDir, site, records, updates);
    textfile::replaceFilesLines(updates);
}

} // namespace veltrona
