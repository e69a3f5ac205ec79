#pragma once

#include "app/BatonNames.h"
#include "app/CaptionStore.h"
#include "app/Trace.h"
#include "platform/LocaleFormats.h"
#include "platform/virtual/RecordingPdfWriter.h"
#include "platform/virtual/RecordingPrompts.h"
#include "platform/virtual/RecordingShell.h"
#include "platform/virtual/VirtualClock.h"
#include "processing/Workspace.h"
#include "processing/pdfprint.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportRequest.h"
#include "sites/CheckpointTable.h"
#include "tests/support/TempWorkDir.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace veltrona::test {

// A working directory with a workspace on recording fakes, as the Reports dialog's operations
// see it: fixed dd/mm/yyyy and hh:mm:ss formats, short message texts.
struct ReportsWorld {
    ReportsWorld() {
        auto& m = ws.messages;
        m.Set(37, "Processing Data...");
        m.Set(47, "From");
        m.Set(48, "to");
        m.Set(146, "Overview Report");
        m.Set(147, "Start");
        m.Set(148, "End");
        m.Set(149, "Cannot read work file");
        m.Set(150, "No data");
        m.Set(160, "Bad line");
        m.Set(161, "Night shift");
        m.Set(162, "Day shift");
        m.Set(174, "Cannot delete Report.pdf");
        ws.settings.reportHeader = "Demo";
        ws.settings.reportFooter = "footer";
        pdf.SetPdfTexts(m);
    }

    // A site whose checkpt.lst lists `points` (Id, name) in order; the first is the separator.
    void site(const std::string& name,
              const std::vector<std::pair<std::string, std::string>>& points) const {
        std::vector<std::string> lines{"//Checkpoint list for " + name, ""};
        for (std::size_t i = 0; i < points.size(); ++i)
            lines.push_back(points[i].first + (i == 0 ? " # " : " = ") + points[i].second);
        lines.push_back("");
        lines.push_back("//End of File");
        dir.writeLines(name + "/checkpt.lst", lines);
        std::filesystem::create_directories(dir / (name + "/Raw"));
    }
    void dayFile(const std::string& site, const std::string& yymmdd,
                 const std::vector<std::string>& lines) const {
        dir.writeLines(site + "/Raw/" + yymmdd + ".txt", lines);
    }
    std::vector<std::string> workFile() const { return dir.readLines("Raw.txt"); }

    TempWorkDir dir;
    VirtualClock clock;
    FixedLocaleFormats locale;
    RecordingPrompts prompts;
    RecordingShell shell;
    Trace trace{clock, 0};
    std::shared_ptr<PdfRecording> recording = std::make_shared<PdfRecording>();
    PdfPrint pdf{RecordingPdfWriter::factory(recording), clock, locale};
    CaptionStore captions;
    BatonNames batonNames{dir.path()};
    CheckpointTable table;
    Workspace ws{WorkspaceServices{clock, locale, prompts, shell, trace, pdf}, dir.path(), captions,
                 batonNames, table};
};

// A day-file record: prefix "000000", Id, yymmdd, hhmm.
inline std::string rec(const std::string& id, const std::string& yymmdd, const std::string& hhmm,
                       const std::string& prefix = "000000") {
    return prefix + id + yymmdd + hhmm;
}

inline DateTime date(int y, int m, int d) {
    return DateTime{y, m, d, 0, 0, 0, 0};
}

} // namespace veltrona::test
