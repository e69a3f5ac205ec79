// Create/Open over a site of 255 checkpoints with a year of day files (100 clockings a day):
// clocking lists and overviews of growing ranges, with the real PDF writer, and how the time
// grows with the range. Run a Release build:
//
//   reports_bench [working-directory]      (default: <temp>/veltrona_reports_bench_<pid>)

#include "app/BatonNames.h"
#include "app/CaptionStore.h"
#include "app/Trace.h"
#include "platform/LocaleFormats.h"
#include "platform/TextFile.h"
#include "platform/qt/HaruPdfWriter.h"
#include "platform/virtual/RecordingPrompts.h"
#include "platform/virtual/RecordingShell.h"
#include "platform/virtual/VirtualClock.h"
#include "processing/Workspace.h"
#include "processing/pdfprint.h"
#include "reports/ReportBuilder.h"
#include "sites/CheckpointTable.h"
#include "sites/SiteList.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

using namespace veltrona;
namespace fs = std::filesystem;

namespace {

const char hex[] = "0123456789ABCDEF";

std::string idOf(int i) {
    std::string id = "0A";
    for (int shift = 12; shift >= 0; shift -= 4)
        id += hex[(i >> shift) & 0xF];
    return id;
}

// checkpt.lst of 255 checkpoints and 365 day files of 2011, 100 clockings each, one every 14
// minutes, walking the checkpoints in turn.
void buildSite(const fs::path& workDir) {
    const fs::path site = workDir / "Bench";
    fs::create_directories(site / "Raw");
    std::vector<std::string> list{"//Checkpoint list for Bench", ""};
    for (int i = 0; i < 255; ++i)
        list.push_back(idOf(i) + (i == 0 ? " # " : " = ") + "Checkpoint " + std::to_string(i) +
                       " corridor east");
    list.push_back("");
    for (int i = 0; i < 18; ++i)
        list.push_back("Round Time  = 060");
    list.push_back("");
    list.push_back("//End of File");
    textfile::replaceFileLines(site / "checkpt.lst", list);

    int n = 0;
    for (int d = 0; d < 365; ++d) {
        const DateTime day = addDays(DateTime{2011, 1, 1, 0, 0, 0, 0}, d);
        const std::string yymmdd =
            twoDigits(day.year % 100) + twoDigits(day.month) + twoDigits(day.day);
        std::vector<std::string> lines;
        for (int i = 0; i < 100; ++i, ++n) {
            const int at = i * 14;
            lines.push_back("000000" + idOf(n % 255) + yymmdd + twoDigits(at / 60) +
                            twoDigits(at % 60));
        }
        textfile::replaceFileLines(site / "Raw" / (yymmdd + ".txt"), lines);
    }
    textfile::replaceFileLines(workDir / "Veltrona.ini", {"SecureReports=T"});
}

struct Bench {
    explicit Bench(const fs::path& dir) : workDir(dir) {
        ws.sites = ListSites(workDir);
        RebuildCheckpointTable(workDir, ws.sites, table, false);
        ws.messages.Set(47, "From");
        ws.messages.Set(48, "to");
        pdf.SetPdfTexts(ws.messages);
    }

    // Wall and CPU seconds of one Create/Open. The CPU figure is the one to compare on a busy
    // machine: the wall clock also counts the time other processes had the processor.
    struct Times {
        double wall = 0, cpu = 0;
    };
    Times run(ReportRequest request) {
        prompts.messages.clear();
        const auto t0 = std::chrono::steady_clock::now();
        const std::clock_t c0 = std::clock();
        builder.CreateOpen(request);
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
                static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC};
    }

    fs::path workDir;
    VirtualClock clock;
    FixedLocaleFormats locale;
    RecordingPrompts prompts;
    RecordingShell shell;
    Trace trace{clock, 0};
    PdfPrint pdf{[] { return std::make_unique<HaruPdfWriter>(); }, clock, locale};
    CaptionStore captions;
    BatonNames batonNames{workDir};
    CheckpointTable table;
    Workspace ws{WorkspaceServices{clock, locale, prompts, shell, trace, pdf}, workDir, captions,
                 batonNames, table};
    ReportBuilder builder{ws};
};

ReportRequest rangeOf(ReportType type, int days, bool pdf) {
    ReportRequest r;
    r.site = "Bench";
    r.type = type;
    r.startDate = DateTime{2011, 1, 1, 0, 0, 0, 0};
    r.endDate = addDays(r.startDate, days - 1);
    r.startTime = "00h00";
    r.endTime = "23h59";
    r.nightShift = false;
    r.pdf = pdf;
    return r;
}

double kib(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    return ec ? 0.0 : static_cast<double>(size) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? fs::path(argv[1])
                                  : fs::temp_directory_path() /
                                        ("veltrona_reports_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    buildSite(dir);
    Bench bench(fs::absolute(dir));
    std::printf("site: 255 checkpoints, 365 day files of 100 clockings, in %s\n\n",
                dir.string().c_str());

    std::printf("%-28s %5s %8s %8s %8s %11s\n", "report", "days", "records", "wall s", "cpu s",
                "cpu ms/day");
    auto row = [&](const char* what, int days, Bench::Times t, const fs::path& output) {
        std::printf("%-28s %5d %8d %8.3f %8.3f %11.2f   %s %.0f KiB\n", what, days,
                    bench.builder.recordCount(), t.wall, t.cpu, t.cpu * 1000.0 / days,
                    output.filename().string().c_str(), kib(output));
    };
    for (int days : {7, 31, 91, 182, 365}) {
        const auto t = bench.run(rangeOf(ReportType::ClockingList, days, false));
        row("clocking list, text", days, t, dir / "Processed.txt");
    }
    for (int days : {31, 365}) {
        auto r = rangeOf(ReportType::ClockingList, days, true);
        r.sortByCheckpoint = true;
        const auto t = bench.run(r);
        row("clocking list, sorted, PDF", days, t, dir / "Report.pdf");
    }
    for (int days : {1, 7, 31, 91}) {
        const auto t = bench.run(rangeOf(ReportType::Overview, days, true));
        row("overview, day shift", days, t, dir / "Report.pdf");
    }
    {
        auto r = rangeOf(ReportType::Overview, 32, true);
        r.nightShift = true;
        r.startTime = r.endTime = "12h00";
        const auto t = bench.run(r);
        row("overview, night shift", 31, t, dir / "Report.pdf");
    }

    if (argc <= 1)
        fs::remove_all(dir);
    return 0;
}
