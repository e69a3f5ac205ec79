#include "reports/StoredReports.h"

#include "platform/FileError.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <system_error>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

bool matchesPattern(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with back-tracking to the last '*'.
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || textfile::foldCase(pattern[p]) == textfile::foldCase(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool isStamp(const std::string& name) {
    if (name.size() < 8)
        return false;
    return std::all_of(name.begin(), name.begin() + 8, [](char c) { return c >= '0' && c <= '9'; });
}

int modificationYear(const fs::path& file) {
    std::error_code ec;
    const auto stamp = fs::last_write_time(file, ec);
    if (ec)
        throw FileError(file, "cannot read the modification date: " + ec.message());
    const auto sys = std::chrono::file_clock::to_sys(stamp);
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
    std::tm local{};
    if (!localtime_r(&t, &local))
        throw FileError(file, "modification date out of range");
    return local.tm_year + 1900;
}

} // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
    std::size_t start = 0;
    while (start <= mask.size()) {
        std::size_t end = mask.find(';', start);
        if (end == std::string_view::npos)
            end = mask.size();
        const std::string_view pattern = mask.substr(start, end - start);
        if (!pattern.empty() && matchesPattern(name, pattern))
            return true;
        start = end + 1;
    }
    return false;
}

std::string MisnamedReportMessage(const std::string& name, const std::string& directory) {
    return "File \"" + name + "\" does not belong in the directory " + directory + "\r" +
           directory + "\r" + " Please remove it";
}

std::vector<StoredReportRow> ListStoredReports(const fs::path& siteDir, const std::string& mask,
                                               Prompts& prompts) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(siteDir, ec);
    if (ec)
        throw FileError(siteDir, "cannot list the directory: " + ec.message());
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) {
            const std::string name = it->path().filename().string();
            if (MatchesMask(name, mask))
                names.push_back(name);
        }
    }
    if (ec)
        throw FileError(siteDir, "cannot list the directory: " + ec.message());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return textfile::lessNoCase(a, b);
    });

    const std::string directory = fs::absolute(siteDir).lexically_normal().string();
    std::vector<StoredReportRow> rows;
    rows.reserve(names.size());
    for (const auto& name : names) {
        StoredReportRow row;
        row.fileName = name;
        if (!isStamp(name)) {
            prompts.showMessage(MisnamedReportMessage(name, directory));
        } else {
            row.date = std::to_string(modificationYear(siteDir / name)) + "/" + name.substr(0, 2) +
                       "/" + name.substr(2, 2);
            row.time = name.substr(4, 2) + ":" + name.substr(6, 2);
        }
        rows.push_back(std::move(row));
    }
    std::stable_sort(
        rows.begin(), rows.end(),
        [](const StoredReportRow& a, const StoredReportRow& b) { return a.date < b.date; });
    return rows;
}

std::optional<StoredReportFiles>
StoredReportFilesOf(const fs::path& workDir, const std::string& site, const StoredReportRow& row) {
    if (row.date.size() < 10 || row.time.size() < 5)
        return std::nullopt;
    const std::string base = row.date.substr(5, 2) + row.date.substr(8, 2) + row.time.substr(0, 2) +
                             row.time.substr(3, 2);
    const fs::path siteDir = textfile::resolvePath(workDir, site);
    return StoredReportFiles{textfile::resolveName(siteDir, base + ".txt"),
                             textfile::resolveName(siteDir, base + ".pdf")};
}

} // namespace veltrona
