#pragma once

#include "platform/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>

namespace veltrona {

class Workspace;
struct ReportRequest;

// A record's place in time, from characters 13-22 when all of them are decimal and make a valid
// date and time of day.
struct RecordTime {
    std::int64_t day = 0; // days since 1970-01-01
    int hour = 0;
    int minute = 0;
    std::int64_t minuteIndex() const { return day * 1440 + hour * 60 + minute; }
};
std::optional<RecordTime> PlaceRecord(const std::string& line);

// The shift window of a day as minute indexes, `end` excluded: the day shift is the calendar day,
// the night shift runs from 12:00 of the day before to 12:00 of the day.
struct ShiftWindow {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    bool holds(std::int64_t minuteIndex) const { return minuteIndex >= begin && minuteIndex < end; }
};
ShiftWindow ShiftWindowOf(std::int64_t day, bool nightShift);

// The hour slot (0-23, left to right) a record of `recordDay`/`hour` takes on the page of
// `pageDay`, or nullopt when it belongs to another shift.
std::optional<int> HourSlot(std::int64_t recordDay, int hour, std::int64_t pageDay,
                            bool nightShift);

// Rewrites the work file Raw.txt with the records of each shift window of the request's range,
// de-duplicated and in drawing order (shifts by date, checkpoints in list order, records by
// time). A record that cannot be placed in time is left out.
void PrepareOverview(Workspace& ws, const ReportRequest& request);

// Draws the prepared work file as Report.pdf in the working directory (one page per shift with
// data, a message for each shift without) and opens it.
void DrawOverview(Workspace& ws, const ReportRequest& request);

} // namespace veltrona
