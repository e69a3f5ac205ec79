#include "app/ActionLog.h"

#include "platform/Clock.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <mutex>
#include <system_error>

namespace veltrona {

namespace {

std::mutex& logMutex() {
    static std::mutex m;
    return m;
}

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string fourDigits(int year) {
    std::string s = std::to_string(year);
    while (s.size() < 4)
        s.insert(s.begin(), '0');
    return s;
}

} // namespace

std::string ActionLogFileName(int year, int month) {
    return "LG" + fourDigits(year) + twoDigits(month) + ".txt";
}

void AppendActionLog(const std::filesystem::path& workDir, const Clock& clock,
                     const std::string& site, const std::string& action) {
    // One reading of the clock names the file and stamps the line, so a line written at
    // midnight at the turn of a month cannot land in the other month's file.
    const DateTime t = clock.now();
    const std::string stamp = fourDigits(t.year) + "/" + twoDigits(t.month) + "/" +
                              twoDigits(t.day) + " " + twoDigits(t.hour) + ":" +
                              twoDigits(t.minute) + "." + twoDigits(t.second);
    const std::string line = "\"" + stamp + "\",\"" + site + "\",\"" + action + "\"";
    // The window thread and the cycle thread both log; their lines must not interleave.
    std::lock_guard lock(logMutex());
    textfile::appendLine(textfile::resolveName(workDir, ActionLogFileName(t.year, t.month)), line);
}

std::string JoinCommaText(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const std::string& f = fields[i];
        const bool quote = std::any_of(
            f.begin(), f.end(), [](char c) { return isBlankOrControl(c) || c == ',' || c == '"'; });
        if (!quote) {
            out += f;
            continue;
        }
        out += '"';
        for (const char c : f) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::vector<std::string> SplitCommaText(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t p = 0;
    const std::size_t n = line.size();
    while (p < n && isBlankOrControl(line[p]))
        ++p;
    while (p < n) {
        std::string field;
        if (line[p] == '"') {
            ++p;
            while (p < n) {
                if (line[p] == '"') {
                    if (p + 1 < n && line[p + 1] == '"') {
                        field += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += line[p++];
            }
        } else {
            while (p < n && !isBlankOrControl(line[p]) && line[p] != ',')
                field += line[p++];
        }
        fields.push_back(std::move(field));
        while (p < n && isBlankOrControl(line[p]))
            ++p;
        if (p < n && line[p] == ',') {
            if (p + 1 == n)
                fields.emplace_back();
            ++p;
            while (p < n && isBlankOrControl(line[p]))
                ++p;
        }
    }
    return fields;
}

std::string MonthName(int month) {
    static const char* const names[] = {"January",   "Febuary", "March",    "April",
                                        "May",       "June",    "July",     "August",
                                        "September", "October", "November", "December"};
    if (month < 1 || month > 12)
        return {};
    return names[month - 1];
}

bool IsListedLogFile(const std::string& fileName) {
    return !(fileName.size() >= 3 && fileName[2] == 'm');
}

std::string LogFileCaption(const std::string& fileName) {
    const std::string t = fileName.substr(std::min<std::size_t>(2, fileName.size()));
    const std::string stem = t.substr(0, t.find('.'));
    const std::string monthText = stem.size() > 4 ? stem.substr(4, 2) : std::string();
    const bool digits =
        !monthText.empty() && std::all_of(monthText.begin(), monthText.end(),
                                          [](char c) { return c >= '0' && c <= '9'; });
    const std::string name = digits ? MonthName(std::stoi(monthText)) : std::string();
    if (name.empty())
        return "Err " + fileName;
    return name + " " + stem.substr(0, 4);
}

std::vector<LogFileEntry> ListLogFiles(const std::filesystem::path& workDir) {
    std::vector<LogFileEntry> entries;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(workDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const std::string name = it->path().filename().string();
        const std::string folded = textfile::foldCase(name);
        if (folded.size() < 6 || folded.compare(0, 2, "lg") != 0 ||
            folded.compare(folded.size() - 4, 4, ".txt") != 0 || !IsListedLogFile(name))
            continue;
        entries.push_back({name, LogFileCaption(name)});
    }
    // Directory order is arbitrary on this platform; name order lists the months in time order.
    std::sort(entries.begin(), entries.end(), [](const LogFileEntry& a, const LogFileEntry& b) {
        return textfile::lessNoCase(a.fileName, b.fileName);
    });
    return entries;
}

} // namespace veltrona
