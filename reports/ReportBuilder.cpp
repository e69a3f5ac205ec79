#include "reports/ReportBuilder.h"

#include "app/MessageTable.h"
#include "baton/RawUploadFile.h"
#include "platform/FileError.h"
#include "platform/LocaleFormats.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "processing/DoRaw.h"
#include "processing/ProcessRawFile.h"
#include "processing/Workspace.h"
#include "reports/Overview.h"
#include "reports/ReportSelection.h"

#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

DateTime atTime(const DateTime& date, TimeOfDay t) {
    DateTime d;
    d.year = date.year;
    d.month = date.month;
    d.day = date.day;
    d.hour = t.hour;
    d.minute = t.minute;
    return d;
}

// The day files of a Raw directory by name without regard to case: the exact spelling when it
// is there, else the first in byte order, as every other name lookup does. One listing serves
// the whole range.
class DayFileIndex {
public:
    explicit DayFileIndex(const fs::path& rawDir) {
        std::error_code ec;
        for (fs::directory_iterator it(rawDir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            auto& best = byFolded_[textfile::foldCase(name)];
            if (best.empty() || name < best)
                best = name;
            exact_.emplace(name, name);
        }
        dir_ = rawDir;
    }

    std::optional<fs::path> find(const std::string& name) const {
        if (exact_.count(name))
            return checked(dir_ / name);
        const auto it = byFolded_.find(textfile::foldCase(name));
        if (it == byFolded_.end())
            return std::nullopt;
        return checked(dir_ / it->second);
    }

private:
    static std::optional<fs::path> checked(const fs::path& p) {
        return textfile::fileExists(p) ? std::optional<fs::path>(p) : std::nullopt;
    }

    fs::path dir_;
    std::map<std::string, std::string> exact_;
    std::map<std::string, std::string> byFolded_;
};

} // namespace

ReportBuilder::ReportBuilder(Workspace& ws, ReportHooks hooks) : ws_(ws), hooks_(std::move(hooks)) {
    if (!hooks_.processRawFile)
        hooks_.processRawFile = [&ws](const fs::path& rawFile) { ProcessRawFile(ws, rawFile); };
    if (!hooks_.processUnprocessedUpload)
        hooks_.processUnprocessedUpload = [&ws] { DoRaw(ws); };
}

ReportOutcome ReportBuilder::CreateOpen(ReportRequest& request) {
    // Every run rewrites the same work file and scratch files, and events are processed while it
    // runs: a second press must not start another one.
    if (running_)
        return ReportOutcome::Refused;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    ws_.settings.secureReports = request.pdf;
    ws_.pointFilter = request.pointFilter;

    if (!request.pdf) {
        bool removed = true;
        try {
            const fs::path old = textfile::resolveName(ws_.workDir, "Report.pdf");
            std::error_code ec;
            if (fs::exists(old, ec))
                removed = fs::remove(old, ec) && !ec;
            if (ec)
                removed = false;
        } catch (const std::exception&) {
            removed = false;
        }
        if (!removed) {
            ws_.prompts.showMessage(ws_.messages.Message(174));
            return ReportOutcome::OldReportLocked;
        }
    }

    if (request.type == ReportType::ByDownload)
        return openDownloads(request);
    return buildReport(request);
}

ReportOutcome ReportBuilder::openDownloads(ReportRequest& request) {
    auto& rows = request.selectedDownloads;
    while (!rows.empty()) {
        const StoredReportRow row = rows.front();
        rows.erase(rows.begin());
        // A row made for a misnamed file names no report; it is only deselected.
        const auto files = StoredReportFilesOf(ws_.workDir, request.site, row);
        if (!files)
            continue;
        if (!request.pdf && textfile::fileExists(files->txt))
            ws_.shell.open(files->txt);
        else
            ws_.shell.open(files->pdf);
    }
    return ReportOutcome::DownloadsOpened;
}

ReportOutcome ReportBuilder::buildReport(const ReportRequest& request) {
    const TimeOfDay startTime = ParseTimeText(request.startTime);
    const TimeOfDay endTime = ParseTimeText(request.endTime);
    const auto& m = ws_.messages;
    const auto& loc = ws_.locale;
    const std::string startTimeText = loc.longTime(atTime(request.startDate, startTime));
    const std::string endTimeText = loc.longTime(atTime(request.endDate, endTime));
    const std::string startDateText = loc.shortDate(request.startDate);
    const std::string endDateText = loc.shortDate(request.endDate);
    const bool overview = request.type == ReportType::Overview;

    recordCount_ = 0;
    const fs::path workFile = textfile::resolveName(ws_.workDir, "Raw.txt");

    struct Panel {
        const ReportHooks& hooks;
        void show(bool on) const {
            if (hooks.showWorkingPanel)
                hooks.showWorkingPanel(on);
        }
        ~Panel() { show(false); }
    } panel{hooks_};

    // The work file is Raw.txt itself: a download that was never processed would be overwritten
    // with its clockings, which may exist nowhere else once the baton was cleared. Offer to
    // process it first, as closing the program does.
    if (textfile::fileExists(workFile) && !RawUploadFile(workFile).isProcessed() &&
        ws_.prompts.confirm(m.Message(18) + "\r" + m.Message(19)))
        hooks_.processUnprocessedUpload();

    std::vector<std::string> records;
    const std::string header = std::string(overview ? "Idx: " : "Id : ") + m.Message(47) + " " +
                               startTimeText + " " + startDateText + " " + m.Message(48) + " " +
                               endTimeText + " " + endDateText;
    panel.show(true);
    ws_.prompts.setStatusText(m.Message(37));
    ws_.prompts.processEvents();

    const DayFileIndex dayFiles(textfile::resolvePath(ws_.workDir, fs::path(request.site) / "Raw"));
    const std::int64_t first =
        daysFromCivil(request.startDate.year, request.startDate.month, request.startDate.day);
    const std::int64_t last =
        daysFromCivil(request.endDate.year, request.endDate.month, request.endDate.day);
    for (std::int64_t d = first; d <= last; ++d) {
        DateTime day;
        civilFromDays(d, day.year, day.month, day.day);
        const auto file = dayFiles.find(DayFileName(day));
        if (!file)
            continue;
        // The start day is tested first: on a one-day range only the start time bounds it.
        const DayRole role = d == first  ? DayRole::Start
                             : d == last ? DayRole::End
                                         : DayRole::Between;
        for (auto& line : textfile::readLines(*file)) {
            if (line.size() < 20)
                line = ZeroRecord;
            switch (SelectLine(line, role, startTime, endTime)) {
            case LineVerdict::Copy:
                records.push_back(std::move(line));
                ++recordCount_;
                break;
            case LineVerdict::Error:
                ws_.prompts.showMessage(m.Message(160));
                break;
            case LineVerdict::Skip:
                break;
            }
            ws_.prompts.processEvents();
        }
    }
    {
        std::vector<std::string> out;
        out.reserve(records.size() + 1);
        out.push_back(header);
        out.insert(out.end(), records.begin(), records.end());
        WriteWorkFile(workFile, out);
    }

    if (request.sortByCheckpoint || (request.pointFilter && !overview)) {
        const auto listLines = textfile::readLines(
            textfile::resolvePath(ws_.workDir, fs::path(request.site) / "checkpt.lst"));
        const auto ids = CheckpointIdsOf(listLines, 6);
        const CheckpointGroups groups(records);
        for (std::size_t i = 0; i < records.size(); ++i)
            ws_.prompts.processEvents();
        groups.writeScratchFiles(ws_.workDir, ids);
        const std::string filterId = PointFilterId(request.pointSelector);
        std::vector<std::string> out;
        out.push_back("Ids: " + m.Message(47) + startTimeText + " " + startDateText +
                      m.Message(48) + endTimeText + " " + endDateText);
        const auto sorted =
            SortByCheckpoint(groups, ids, request.pointFilter ? &filterId : nullptr);
        out.insert(out.end(), sorted.begin(), sorted.end());
        WriteWorkFile(workFile, out);
    }

    if (overview)
        PrepareOverview(ws_, request);

    textfile::appendLine(workFile, "Done");

    if (recordCount_ > 0) {
        if (overview) {
            DrawOverview(ws_, request);
        } else {
            hooks_.processRawFile(workFile);
        }
    }

    std::size_t lineCount = 0;
    try {
        lineCount = textfile::readLines(workFile).size();
    } catch (const std::exception&) {
        lineCount = 0;
    }
    panel.show(false);
    if (lineCount > 2)
        return ReportOutcome::Completed;
    if (lineCount == 0) {
        ws_.prompts.showMessage(m.Message(149));
        return ReportOutcome::WorkFileUnreadable;
    }
    ws_.prompts.showMessage(m.Message(150) + "\n\r" + m.Message(47) + " " + startTimeText + " " +
                            startDateText + " " + m.Message(48) + " " + endTimeText + " " +
                            endDateText);
    return ReportOutcome::NoData;
}

} // namespace veltrona
