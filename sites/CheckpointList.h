#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// One checkpoint line: "123ABC = Main gate" (Id, mark "=" or "#", location name).
struct Checkpoint {
    std::string id;
    char mark = '=';
    std::string name;
    friend bool operator==(const Checkpoint&, const Checkpoint&) = default;
};

// The 18 site settings lines after the checkpoints, as the editor holds them.
struct SiteSettings {
    std::string roundTime;    // "015"
    std::string restTime;     // "010"
    std::string numBatons;    // one digit, or empty
    int failedPatrolType = 0; // 0 none, 1 single baton, 2 multiple baton
    // Start and finish time per weekday in file order: ST Mon, FT Mon, ST Tue, ... FT Sun.
    // "06h00"; an unfilled time is "  h  ".
    std::array<std::string, 14> times{};

    // day 0 = Monday ... 6 = Sunday.
    std::string& startTime(int day) { return times[static_cast<std::size_t>(2 * day)]; }
    std::string& finishTime(int day) { return times[static_cast<std::size_t>(2 * day + 1)]; }
    const std::string& startTime(int day) const { return times[static_cast<std::size_t>(2 * day)]; }
    const std::string& finishTime(int day) const {
        return times[static_cast<std::size_t>(2 * day + 1)];
    }
    friend bool operator==(const SiteSettings&, const SiteSettings&) = default;
};

// The 14-character labels of the settings lines, in file order.
extern const std::array<std::string_view, 18> SiteSettingLabels;

struct CheckpointListData {
    std::vector<Checkpoint> checkpoints;
    // 1-based number of the patrol separator (the last checkpoint marked "#"), 0 for none.
    int patrolSeparator = 0;
    // nullopt when the file was missing and a skeleton was created: the editor's setting fields
    // keep what they showed.
    std::optional<SiteSettings> settings;
};

// The site's checkpt.lst (the on-disk spelling when one differs only in case).
std::filesystem::path CheckpointListPath(const std::filesystem::path& workDir,
                                         const std::string& site);

// Reads the checkpoint section of a list file's lines: lines 1 and 2 skipped, then every line
// longer than 9 characters up to the first one that is not. A 9-character line (a checkpoint
// with an empty location name) ends the section.
std::vector<Checkpoint> ParseCheckpointSection(const std::vector<std::string>& lines);
// The checkpoints of a site's list; empty when the file is missing (nothing is created).
std::vector<Checkpoint> ReadCheckpoints(const std::filesystem::path& workDir,
                                        const std::string& site);

// The value of one settings line: its characters from position 15 up to the first space, "0"
// when that is empty.
std::string SiteSettingValue(std::string_view line);
// Reads the next line of `file` (an empty line at its end) and returns its value.
std::string ReadSiteSetting(std::istream& file);

// The editor's load: creates the editor's skeleton when the file is missing; otherwise reads
// the checkpoints and the 18 settings, normalised (round and rest time to 3 digits, times to
// "hhhmm" with "h" at position 3, number of batons and failed-patrol type from their first
// character).
CheckpointListData LoadCheckpointList(const std::filesystem::path& workDir,
                                      const std::string& site);

// Rewrites the site's list whole (atomically) from the editor's state. Round time, rest time and
// number of batons are written without surrounding blanks, times as held. Throws
// std::invalid_argument, leaving the file as it was, for a checkpoint whose Id is not 6
// characters or whose name is empty or holds a line break: readers would take such a line as
// the end of the list and read the following checkpoints as settings.
void SaveCheckpointList(const std::filesystem::path& workDir, const std::string& site,
                        const std::vector<Checkpoint>& checkpoints, const SiteSettings& settings);

// Appends the checkpoint line id + " = " + name after the site's last checkpoint line, keeping
// every other line, through the working file checkpt.$$$ in `workDir` (left there). The list is
// then replaced atomically. `step` (optional) receives the progress marks "3" (line 3 read), "4"
// (before the new line is written) and "Button added" (list replaced). Throws FileError when the
// list is missing, std::invalid_argument for an Id that is not 6 characters or a name that is
// empty or holds a line break.
void InsertCheckpointLine(const std::filesystem::path& workDir, const std::string& site,
                          const std::string& id, const std::string& name,
                          const std::function<void(std::string_view)>& step = {});

// The skeleton lists: the one start-up and site creation write, and the checkpoint editor's.
std::vector<std::string> SkeletonCheckpointList();
std::vector<std::string> EditorSkeletonCheckpointList(const std::string& site);

} // namespace veltrona
