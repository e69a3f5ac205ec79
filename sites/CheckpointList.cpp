#include "sites/CheckpointList.h"

#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "sites/SiteList.h"

#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace veltrona {

const std::array<std::string_view, 18> SiteSettingLabels = {
    "Round Time  = ", "Rest Time   = ", "Num Batons  = ", "FP Type     = ", "ST Mon      = ",
    "FT Mon      = ", "ST Tue      = ", "FT Tue      = ", "ST Wed      = ", "FT Wed      = ",
    "ST Thu      = ", "FT Thu      = ", "ST Fri      = ", "FT Fri      = ", "ST Sat      = ",
    "FT Sat      = ", "ST Sun      = ", "FT Sun      = "};

namespace {

// The readers' rule: a checkpoint line is longer than 9 characters (Id, space, mark, space and at
// least one character of name).
constexpr std::size_t CheckpointLineMin = 10;

Checkpoint checkpointOf(const std::string& line) {
    Checkpoint c;
    c.id = line.substr(0, 6);
    c.mark = line[7];
    c.name = line.substr(9);
    return c;
}

std::string trimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

std::string padZeros(std::string s, std::size_t width) {
    while (s.size() < width)
        s.insert(s.begin(), '0');
    return s;
}

void checkLineFields(const std::string& id, const std::string& name) {
    if (id.size() != 6)
        throw std::invalid_argument("checkpoint Id \"" + id + "\" is not 6 characters");
    if (name.empty())
        throw std::invalid_argument("checkpoint " + id + " has no location name");
    if (name.find_first_of("\r\n") != std::string::npos ||
        id.find_first_of("\r\n") != std::string::npos)
        throw std::invalid_argument("checkpoint " + id + " holds a line break");
}

std::ifstream openForReading(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError(file, "cannot open file for reading");
    return in;
}

} // namespace

fs::path CheckpointListPath(const fs::path& workDir, const std::string& site) {
    return textfile::resolveName(SiteDir(workDir, site), "checkpt.lst");
}

std::vector<std::string> SkeletonCheckpointList() {
    return {"//Checkpoint list for Veltrona", "", "", "//End of file"};
}

std::vector<std::string> EditorSkeletonCheckpointList(const std::string& site) {
    return {"//Checkpoint list for " + site, "", "", "//End of File"};
}

std::vector<Checkpoint> ParseCheckpointSection(const std::vector<std::string>& lines) {
    std::vector<Checkpoint> result;
    for (std::size_t i = 2; i < lines.size() && lines[i].size() >= CheckpointLineMin; ++i)
        result.push_back(checkpointOf(lines[i]));
    return result;
}

std::vector<Checkpoint> ReadCheckpoints(const fs::path& workDir, const std::string& site) {
    const fs::path file = CheckpointListPath(workDir, site);
    if (!textfile::fileExists(file))
        return {};
    return ParseCheckpointSection(textfile::readLines(file));
}

std::string SiteSettingValue(std::string_view line) {
    std::string value;
    if (line.size() > 14) {
        const std::string_view rest = line.substr(14);
        value = std::string(rest.substr(0, rest.find(' ')));
    }
    return value.empty() ? std::string("0") : value;
}

std::string ReadSiteSetting(std::istream& file) {
    std::string line;
    if (!textfile::readLine(file, line))
        line.clear();
    return SiteSettingValue(line);
}

CheckpointListData LoadCheckpointList(const fs::path& workDir, const std::string& site) {
    CheckpointListData data;
    const fs::path file = CheckpointListPath(workDir, site);
    if (!textfile::fileExists(file)) {
        textfile::replaceFileLines(file, EditorSkeletonCheckpointList(site));
        return data;
    }
    std::ifstream in = openForReading(file);
    std::string line;
    textfile::readLine(in, line);
    textfile::readLine(in, line);
    // The first line that is not a checkpoint line ends the section and is consumed.
    while (textfile::readLine(in, line) && line.size() >= CheckpointLineMin) {
        data.checkpoints.push_back(checkpointOf(line));
        if (data.checkpoints.back().mark == '#')
            data.patrolSeparator = static_cast<int>(data.checkpoints.size());
    }
    SiteSettings s;
    s.roundTime = padZeros(ReadSiteSetting(in), 3);
    s.restTime = padZeros(ReadSiteSetting(in), 3);
    s.numBatons = ReadSiteSetting(in).substr(0, 1);
    const char fp = ReadSiteSetting(in).front();
    // A type that is not a digit (a damaged file) reads as "none" rather than stopping the load.
    s.failedPatrolType = (fp >= '0' && fp <= '9') ? fp - '0' : 0;
    for (auto& t : s.times) {
        t = padZeros(ReadSiteSetting(in), 5);
        t[2] = 'h';
    }
    if (in.bad())
        throw FileError(file, "read error");
    data.settings = s;
    return data;
}

void SaveCheckpointList(const fs::path& workDir, const std::string& site,
                        const std::vector<Checkpoint>& checkpoints, const SiteSettings& settings) {
    for (const auto& c : checkpoints)
        checkLineFields(c.id, c.name);
    std::vector<std::string> lines;
    lines.reserve(checkpoints.size() + 23);
    lines.push_back("//Checkpoint list for " + site);
    lines.emplace_back();
    for (const auto& c : checkpoints)
        lines.push_back(c.id + " " + c.mark + " " + c.name);
    lines.emplace_back();
    const std::array<std::string, 4> head = {
        trimBlanks(settings.roundTime), trimBlanks(settings.restTime),
        trimBlanks(settings.numBatons), std::to_string(settings.failedPatrolType)};
    for (std::size_t i = 0; i < SiteSettingLabels.size(); ++i) {
        const std::string& value = i < 4 ? head[i] : settings.times[i - 4];
        lines.push_back(std::string(SiteSettingLabels[i]) + value);
    }
    lines.emplace_back();
    lines.emplace_back("//End of File");
    textfile::replaceFileLines(CheckpointListPath(workDir, site), lines);
}

void InsertCheckpointLine(const fs::path& workDir, const std::string& site, const std::string& id,
                          const std::string& name,
                          const std::function<void(std::string_view)>& step) {
    checkLineFields(id, name);
    // The working file is shared by every site; the cycle thread and processing both insert.
    static std::mutex workingFileMutex;
    const std::lock_guard lock(workingFileMutex);

    const auto mark = [&](std::string_view text) {
        if (step)
            step(text);
    };
    const fs::path list = CheckpointListPath(workDir, site);
    const std::vector<std::string> old = textfile::readLines(list);
    // Past the end of the old file a read gives an empty line, as the copy rules expect.
    std::size_t next = 0;
    const auto read = [&]() { return next < old.size() ? old[next++] : std::string(); };

    std::vector<std::string> out;
    out.reserve(old.size() + 2);
    out.push_back(read());
    out.push_back(read());
    std::string last = read();
    mark("3");
    if (!last.empty()) {
        out.push_back(last);
        while (last.size() >= CheckpointLineMin) {
            last = read();
            if (!last.empty())
                out.push_back(last);
        }
    }
    mark("4");
    out.push_back(id + " = " + name);
    out.emplace_back();
    while (next < old.size())
        out.push_back(old[next++]);

    {
        const fs::path working = textfile::resolveName(workDir, "checkpt.$$$");
        std::ofstream w(working, std::ios::binary | std::ios::trunc);
        if (!w)
            throw FileError(working, "cannot create file");
        textfile::writeLines(w, out);
        w.close();
        if (!w)
            throw FileError(working, "write error");
    }
    textfile::replaceFileLines(list, out);
    mark("Button added");
}

} // namespace veltrona
