#include "reports/Overview.h"

#include "app/MessageTable.h"
#include "platform/LocaleFormats.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "processing/Workspace.h"
#include "processing/pdfprint.h"
#include "reports/ReportRequest.h"
#include "reports/ReportSelection.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

int twoDecimal(const std::string& s, std::size_t pos) {
    const char a = s[pos], b = s[pos + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return -1;
    return (a - '0') * 10 + (b - '0');
}

// Date (characters 13-18) and hour (19-20) of a record, when they are decimal and valid.
bool placeDateAndHour(const std::string& line, std::int64_t& day, int& hour) {
    if (line.size() < 20)
        return false;
    const int yy = twoDecimal(line, 12), mm = twoDecimal(line, 14), dd = twoDecimal(line, 16);
    hour = twoDecimal(line, 18);
    if (yy < 0 || mm < 1 || mm > 12 || dd < 1 || dd > daysInMonth(2000 + yy, mm) || hour < 0 ||
        hour > 23)
        return false;
    day = daysFromCivil(2000 + yy, mm, dd);
    return true;
}

std::int64_t dayIndex(const DateTime& d) {
    return daysFromCivil(d.year, d.month, d.day);
}

DateTime dateOf(std::int64_t day) {
    DateTime d;
    civilFromDays(day, d.year, d.month, d.day);
    return d;
}

fs::path checkpointListOf(const Workspace& ws, const std::string& site) {
    return textfile::resolvePath(ws.workDir, fs::path(site) / "checkpt.lst");
}

fs::path workFileOf(const Workspace& ws) {
    return textfile::resolveName(ws.workDir, "Raw.txt");
}

// Same record apart from the prefix: the same checkpoint, date and minute.
bool sameFromId(const std::string& a, const std::string& b) {
    return a.size() == b.size() && a.compare(6, std::string::npos, b, 6, std::string::npos) == 0;
}

} // namespace

std::optional<RecordTime> PlaceRecord(const std::string& line) {
    RecordTime t;
    if (line.size() < 22 || !placeDateAndHour(line, t.day, t.hour))
        return std::nullopt;
    t.minute = twoDecimal(line, 20);
    if (t.minute < 0 || t.minute > 59)
        return std::nullopt;
    return t;
}

ShiftWindow ShiftWindowOf(std::int64_t day, bool nightShift) {
    if (nightShift)
        return {(day - 1) * 1440 + 720, day * 1440 + 720};
    return {day * 1440, (day + 1) * 1440};
}

std::optional<int> HourSlot(std::int64_t recordDay, int hour, std::int64_t pageDay,
                            bool nightShift) {
    if (!nightShift)
        return recordDay == pageDay ? std::optional<int>(hour) : std::nullopt;
    if (recordDay == pageDay && hour < 12)
        return hour + 12;
    if (recordDay == pageDay - 1 && hour >= 12)
        return hour - 12;
    return std::nullopt;
}

void PrepareOverview(Workspace& ws, const ReportRequest& request) {
    const auto listLines = textfile::readLines(checkpointListOf(ws, request.site));
    // Only the checkpoints the drawing gives a row write records: a record of any other line would
    // never be read past by the drawing and would hide every later shift.
    const auto points = OverviewPointsOf(listLines);

    const fs::path workFile = workFileOf(ws);
    auto lines = textfile::readLines(workFile);
    std::vector<std::string> records;
    if (!lines.empty())
        records.assign(std::make_move_iterator(lines.begin() + 1),
                       std::make_move_iterator(lines.end()));
    for (std::size_t i = 0; i < records.size(); ++i)
        ws.prompts.processEvents();
    const CheckpointGroups groups(records);
    groups.writeScratchFiles(ws.workDir, CheckpointIdsOf(listLines, 6));

    const auto& m = ws.messages;
    std::vector<std::string> out;
    out.push_back(m.Message(request.nightShift ? 161 : 162) + " " + m.Message(47) + " " +
                  ws.locale.shortDate(request.startDate) + " " + m.Message(48) + " " +
                  ws.locale.shortDate(request.endDate));

    // Each drawn checkpoint's placeable records once, in time order (a stable sort keeps the
    // day files' order), so every shift's records reach the drawing in slot order.
    const std::string filterId = PointFilterId(request.pointSelector);
    struct Placed {
        std::int64_t at;
        const std::string* line;
    };
    std::vector<std::vector<Placed>> perPoint;
    std::unordered_set<std::string> seen;
    for (const auto& p : points) {
        if (request.pointFilter && p.id != filterId)
            continue;
        if (!seen.insert(textfile::foldCase(p.id)).second)
            continue;
        std::vector<Placed> placed;
        for (const auto& r : groups.of(p.id))
            if (r.size() >= 22)
                if (const auto t = PlaceRecord(r))
                    placed.push_back({t->minuteIndex(), &r});
        std::stable_sort(placed.begin(), placed.end(),
                         [](const Placed& a, const Placed& b) { return a.at < b.at; });
        perPoint.push_back(std::move(placed));
    }

    const std::int64_t first = dayIndex(request.startDate) + (request.nightShift ? 1 : 0);
    const std::int64_t last = dayIndex(request.endDate);
    for (std::int64_t d = first; d <= last; ++d) {
        const ShiftWindow w = ShiftWindowOf(d, request.nightShift);
        for (const auto& placed : perPoint) {
            auto it = std::lower_bound(placed.begin(), placed.end(), w.begin,
                                       [](const Placed& p, std::int64_t v) { return p.at < v; });
            const std::string* previous = nullptr;
            for (; it != placed.end() && w.holds(it->at); ++it) {
                if (!previous || !sameFromId(*it->line, *previous))
                    out.push_back(*it->line);
                previous = it->line;
            }
            ws.prompts.processEvents();
        }
    }
    WriteWorkFile(workFile, out);
}

namespace {

// Reads the prepared work file front to back as the drawing consumes it.
class RecordReader {
public:
    RecordReader(std::vector<std::string> lines, Prompts& prompts)
        : lines_(std::move(lines)), prompts_(prompts), next_(1) {
        advance();
    }

    bool zero() const { return zero_; }
    const std::string& line() const { return line_; }
    std::int64_t day() const { return day_; }
    int hour() const { return hour_; }
    std::string timeText() const { return line_.substr(18, 2) + ":" + line_.substr(20, 2); }

    // The next record; past the end, or at a line too short to be one ("Done"), the zero record.
    // A line whose date or hour cannot be read is reported and passed over, so it cannot hold up
    // the records behind it.
    void advance() {
        while (true) {
            if (next_ >= lines_.size()) {
                setZero();
                return;
            }
            line_ = lines_[next_++];
            if (line_.size() < 21) {
                setZero();
                return;
            }
            if (placeDateAndHour(line_, day_, hour_)) {
                zero_ = false;
                return;
            }
            prompts_.showMessage("Error O=" + line_);
        }
    }

    std::optional<int> slotOn(std::int64_t pageDay, bool night) const {
        if (zero_)
            return std::nullopt;
        return HourSlot(day_, hour_, pageDay, night);
    }

private:
    void setZero() {
        line_ = ZeroRecord;
        zero_ = true;
    }

    std::vector<std::string> lines_;
    Prompts& prompts_;
    std::size_t next_;
    std::string line_;
    bool zero_ = true;
    std::int64_t day_ = 0;
    int hour_ = 0;
};

} // namespace

void DrawOverview(Workspace& ws, const ReportRequest& request) {
    const auto points = OverviewPointsOf(textfile::readLines(checkpointListOf(ws, request.site)));
    RecordReader r(textfile::readLines(workFileOf(ws)), ws.prompts);

    const auto& m = ws.messages;
    const std::string title =
        "Veltrona Uploader Ver 1.03b - " + m.Message(146) + " " + ws.settings.reportHeader;
    ws.pdf.BeginOverviewDocument(title, ws.settings.reportFooter, request.site);

    const bool night = request.nightShift;
    const std::string filterId = PointFilterId(request.pointSelector);
    const std::int64_t last = dayIndex(request.endDate);
    for (std::int64_t d = dayIndex(request.startDate) + (night ? 1 : 0); d <= last; ++d) {
        const std::string today = ws.locale.shortDate(dateOf(d));
        const std::string dayBefore = ws.locale.shortDate(dateOf(d - 1));
        if (!r.slotOn(d, night)) {
            if (night)
                ws.prompts.showMessage(m.Message(150) + " " + m.Message(147) + " : " + dayBefore +
                                       " 12:00  " + m.Message(148) + " : " + today + " 12:00");
            else
                ws.prompts.showMessage(m.Message(150) + " " + today);
            continue;
        }
        if (night)
            ws.pdf.BeginOverviewPage(m.Message(147) + " : " + dayBefore + " 12:00",
                                     "   " + m.Message(148) + " : " + today + " 12:00", true);
        else
            ws.pdf.BeginOverviewPage(today, "", false);

        for (const auto& p : points) {
            if (request.pointFilter && p.id != filterId)
                continue;
            std::vector<std::string> times;
            int lineCount = 0;
            for (int s = 0; s < 24; ++s) {
                // A run: this point's records of this slot, one after the other. A record of
                // another shift never joins it, whatever its hour.
                auto fits = [&] {
                    return !r.zero() && textfile::equalsNoCase(r.line().substr(6, 6), p.id) &&
                           r.slotOn(d, night) == s;
                };
                int run = 0;
                while (fits()) {
                    times.push_back(r.timeText());
                    ++run;
                    r.advance();
                }
                lineCount = std::max(lineCount, run);
            }
            ws.pdf.AddOverviewRow(times, p.name, std::max(lineCount, 2));
        }
        ws.prompts.processEvents();
    }

    const fs::path report = ws.workDir / "Report.pdf";
    ws.pdf.SaveDocument(report);
    ws.shell.open(textfile::resolveName(ws.workDir, "Report.pdf"));
}

} // namespace veltrona
