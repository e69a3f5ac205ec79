#pragma once

#include "reports/ReportRequest.h"

#include <filesystem>
#include <functional>

namespace veltrona {

class Workspace;

// How a Create/Open run ended.
enum class ReportOutcome {
    Refused,            // a run was already under way; nothing was done
    OldReportLocked,    // the old Report.pdf could not be removed (message shown)
    DownloadsOpened,    // report by download: the selected stored reports were opened
    Completed,          // the report was produced: the dialog closes
    NoData,             // nothing in the range (message shown): the dialog stays open
    WorkFileUnreadable, // the work file could not be read back (message shown)
};

// What Create/Open needs beyond the workspace.
struct ReportHooks {
    // Processes the work file in combined mode (the clocking list). Defaults to ProcessRawFile.
    std::function<void(const std::filesystem::path& rawFile)> processRawFile;
    // Shows or hides the dialog's "Working please wait..." panel.
    std::function<void(bool visible)> showWorkingPanel;
    // Processes an upload left unprocessed in Raw.txt before the work file replaces it.
    // Defaults to DoRaw.
    std::function<void()> processUnprocessedUpload;
};

// The engine behind the Reports dialog's Create/Open button. One run at a time: a call made while
// a run is under way (events are processed during it) is refused.
class ReportBuilder {
public:
    explicit ReportBuilder(Workspace& ws, ReportHooks hooks = {});

    // Runs Create/Open for `request`. Sets the workspace's SecureReports setting and point filter
    // from the request, as the dialog's boxes do. File errors (a missing checkpt.lst, an
    // unwritable work file) reach the caller; the panel is hidden again.
    ReportOutcome CreateOpen(ReportRequest& request);

    // Records the last selection copied into the work file.
    int recordCount() const { return recordCount_; }
    bool running() const { return running_; }

private:
    ReportOutcome openDownloads(ReportRequest& request);
    ReportOutcome buildReport(const ReportRequest& request);

    Workspace& ws_;
    ReportHooks hooks_;
    int recordCount_ = 0;
    bool running_ = false;
};

} // namespace veltrona
