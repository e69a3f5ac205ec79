#pragma once

#include "platform/DateTime.h"
#include "reports/ReportRequest.h"

#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace veltrona {

// The record that stands in for a line too short to be one, and marks the end of the data.
inline const std::string ZeroRecord(22, '0');

// The day file of a date: yymmdd + ".Txt" (2011-08-09 gives "110809.Txt").
std::string DayFileName(const DateTime& day);

// Which bound of the range applies to a day file's lines.
enum class DayRole { Start, End, Between };
enum class LineVerdict { Copy, Skip, Error };

// The selection test of one day-file line (already replaced by ZeroRecord when shorter than 20
// characters). On the start day a line is taken when the last second of its minute is not before
// `start`; on the end day when the start of its minute is not after `end`; days between take
// every line. The minute's unit-marker flag is removed for the test only. A line whose hour or
// minute is no time of day on a bounded day gives Error.
LineVerdict SelectLine(const std::string& line, DayRole role, TimeOfDay start, TimeOfDay end);

// The checkpoint Ids of a checkpoint list's lines as the report steps read them: after the first
// two lines, every line longer than `longerThan` characters up to the first one that is not.
std::vector<std::string> CheckpointIdsOf(const std::vector<std::string>& listLines,
                                         std::size_t longerThan = 6);

// A checkpoint of the overview's point list: Id, mark and location name.
struct OverviewPoint {
    std::string id;
    char mark = '=';
    std::string name;
};
// Checkpoint lines longer than 9 characters after the first two, up to the first shorter one.
std::vector<OverviewPoint> OverviewPointsOf(const std::vector<std::string>& listLines);

// Records grouped by the checkpoint scratch file they land in (characters 7-12, without regard
// to case, as the file names are), each group in arrival order. Lines of 12 characters or fewer
// belong to no group.
class CheckpointGroups {
public:
    explicit CheckpointGroups(const std::vector<std::string>& records);
    // The group of a checkpoint Id; empty when it has none.
    const std::vector<std::string>& of(const std::string& id) const;
    // Writes every group and an empty file for every Id of `ids` without records to
    // workDir/Id + ".$$$", replacing what an earlier run left there.
    void writeScratchFiles(const std::filesystem::path& workDir,
                           const std::vector<std::string>& ids) const;

private:
    std::unordered_map<std::string, std::size_t> index_; // folded Id -> group
    std::vector<std::string> names_;                     // Id as first seen, per group
    std::vector<std::vector<std::string>> groups_;
};

// Writes the work file whole (CR LF lines). It is rebuilt by every run and holds no user data,
// so it is written in place rather than through a synced temporary. Throws FileError.
void WriteWorkFile(const std::filesystem::path& file, const std::vector<std::string>& lines);

// The sorting step: every record of the listed checkpoints grouped by checkpoint in list order,
// each group in arrival order; records of unlisted Ids are dropped. A checkpoint listed twice is
// output once. With `filterId` set only that checkpoint's records remain.
std::vector<std::string> SortByCheckpoint(const CheckpointGroups& groups,
                                          const std::vector<std::string>& checkpointIds,
                                          const std::string* filterId);

} // namespace veltrona
