#include "reports/ReportSelection.h"

#include "platform/Chars.h"

#include "platform/FileError.h"
#include "platform/TextFile.h"

#include <fstream>
#include <unordered_set>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

int digit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

// Ids come from day files; one that cannot name a file in the working directory gets no file.
bool usableFileName(const std::string& id) {
    return id.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

const std::vector<std::string> noRecords;

} // namespace

std::string DayFileName(const DateTime& day) {
    // Two digits always: the day files of 2000 (a baton whose clock was never set) are 000101.txt.
    int year = day.year;
    while (year >= 100)
        year -= 100;
    return twoDigits(year) + twoDigits(day.month) + twoDigits(day.day) + ".Txt";
}

LineVerdict SelectLine(const std::string& line, DayRole role, TimeOfDay start, TimeOfDay end) {
    if (role == DayRole::Between)
        return LineVerdict::Copy;
    if (line.size() < 22)
        return LineVerdict::Error;
    const int h1 = digit(line[18]), h2 = digit(line[19]);
    int tens = hexDigit(line[20]);
    const int units = digit(line[21]);
    if (h1 < 0 || h2 < 0 || tens < 0 || units < 0)
        return LineVerdict::Error;
    if (tens > 7)
        tens -= 8; // the unit-marker flag is not part of the minute
    const int hour = h1 * 10 + h2;
    const int minute = tens * 10 + units;
    if (hour > 23 || minute > 59)
        return LineVerdict::Error;
    const int at = hour * 60 + minute;
    if (role == DayRole::Start)
        return at >= start.minutes() ? LineVerdict::Copy : LineVerdict::Skip;
    return at <= end.minutes() ? LineVerdict::Copy : LineVerdict::Skip;
}

std::vector<std::string> CheckpointIdsOf(const std::vector<std::string>& listLines,
                                         std::size_t longerThan) {
    std::vector<std::string> ids;
    for (std::size_t i = 2; i < listLines.size(); ++i) {
        if (listLines[i].size() <= longerThan)
            break;
        ids.push_back(listLines[i].substr(0, 6));
    }
    return ids;
}

std::vector<OverviewPoint> OverviewPointsOf(const std::vector<std::string>& listLines) {
    std::vector<OverviewPoint> points;
    for (std::size_t i = 2; i < listLines.size(); ++i) {
        const std::string& l = listLines[i];
        if (l.size() <= 9)
            break;
        points.push_back({l.substr(0, 6), l[7], l.substr(9)});
    }
    return points;
}

CheckpointGroups::CheckpointGroups(const std::vector<std::string>& records) {
    for (const auto& r : records) {
        if (r.size() <= 12)
            continue;
        const std::string id = r.substr(6, 6);
        auto [it, added] = index_.try_emplace(textfile::foldCase(id), groups_.size());
        if (added) {
            names_.push_back(id);
            groups_.emplace_back();
        }
        groups_[it->second].push_back(r);
    }
}

const std::vector<std::string>& CheckpointGroups::of(const std::string& id) const {
    const auto it = index_.find(textfile::foldCase(id));
    return it == index_.end() ? noRecords : groups_[it->second];
}

void CheckpointGroups::writeScratchFiles(const fs::path& workDir,
                                         const std::vector<std::string>& ids) const {
    auto write = [&](const std::string& id, const std::vector<std::string>& lines) {
        if (!usableFileName(id))
            return;
        const fs::path file = textfile::resolveName(workDir, id + ".$$$");
        // Every run rewrites the same files: overwriting in place and cutting off the rest keeps
        // their blocks, where truncating first frees and allocates them again on every run.
        std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
        if (!out.is_open())
            out.open(file, std::ios::binary | std::ios::out | std::ios::trunc);
        if (!out)
            throw FileError(file, "cannot create file");
        textfile::writeLines(out, lines);
        const auto written = out.tellp();
        out.close();
        if (!out || written < 0)
            throw FileError(file, "write error");
        std::error_code ec;
        const auto size = static_cast<std::uintmax_t>(written);
        if (fs::file_size(file, ec) > size && !ec)
            fs::resize_file(file, size, ec);
        if (ec)
            throw FileError(file, "cannot set the file size: " + ec.message());
    };
    std::unordered_set<std::string> written;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        write(names_[g], groups_[g]);
        written.insert(textfile::foldCase(names_[g]));
    }
    for (const auto& id : ids)
        if (written.insert(textfile::foldCase(id)).second)
            write(id, {});
}

void WriteWorkFile(const fs::path& file, const std::vector<std::string>& lines) {
    textfile::writeFileLines(file, lines);
}

std::vector<std::string> SortByCheckpoint(const CheckpointGroups& groups,
                                          const std::vector<std::string>& checkpointIds,
                                          const std::string* filterId) {
    std::vector<std::string> sorted;
    std::unordered_set<std::string> done;
    for (const auto& id : checkpointIds) {
        if (filterId && id != *filterId)
            continue;
        if (!done.insert(textfile::foldCase(id)).second)
            continue; // listed twice: its records are listed once
        const auto& g = groups.of(id);
        sorted.insert(sorted.end(), g.begin(), g.end());
    }
    return sorted;
}

} // namespace veltrona
