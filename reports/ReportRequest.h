#pragma once

#include "platform/DateTime.h"
#include "reports/StoredReports.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace veltrona {

// The Reports dialog's report types, numbered as the DefaultReport setting stores them.
enum class ReportType { ByDownload = 1, ClockingList = 2, Overview = 3 };

// Everything the Reports dialog hands to Create/Open.
struct ReportRequest {
    std::string site;
    ReportType type = ReportType::Overview;
    DateTime startDate; // only year, month and day are used
    DateTime endDate;
    std::string startTime = "12h00"; // "hhHmm" as the time edits hold it, e.g. "10h30"
    std::string endTime = "12h00";
    bool nightShift = true;
    bool sortByCheckpoint = false;
    bool pointFilter = false;
    std::string pointSelector; // "(" + Id + ") " + location name
    bool pdf = true;           // "Create PDF report", the SecureReports setting
    // The selected rows of the stored-report list; Create/Open deselects (removes) each row it
    // has handled.
    std::vector<StoredReportRow> selectedDownloads;
};

// A time edit's text that does not give a time of day ("25h00", "ab:00").
class ReportTimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int minutes() const { return hour * 60 + minute; }
};

// Hour from characters 1-2, minute from characters 4-5. Throws ReportTimeError.
TimeOfDay ParseTimeText(const std::string& text);
// "hhHmm" text of a time of day, as the time edits show it ("07h30").
std::string TimeText(int hour, int minute);

// The checkpoint Id a point selector entry names: the text prefixed with "0" up to 7 characters,
// then characters 2-7 ("(00A1B2) Gate" gives "00A1B2").
std::string PointFilterId(const std::string& selectorText);
// The point selector entry of a checkpoint: "(" + Id + ") " + location name.
std::string PointSelectorEntry(const std::string& id, const std::string& name);

} // namespace veltrona
