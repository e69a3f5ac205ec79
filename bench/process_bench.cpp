// What a finished download costs: StoreUpload then ProcessRawFile (day files, text, CSV and
// real libharu PDF reports of every site) on a fresh working directory, timed for a range of
// record and site counts. Target: 32,800 records into 256 sites of 255 checkpoints under 2 s.

#include "app/BatonNames.h"
#include "app/CaptionStore.h"
#include "app/MessageTable.h"
#include "app/Trace.h"
#include "platform/LocaleFormats.h"
#include "platform/TextFile.h"
#include "platform/qt/HaruPdfWriter.h"
#include "platform/virtual/RecordingPrompts.h"
#include "platform/virtual/RecordingShell.h"
#include "platform/virtual/VirtualClock.h"
#include "processing/ProcessRawFile.h"
#include "processing/StoreUpload.h"
#include "processing/Workspace.h"
#include "processing/pdfprint.h"
#include "sites/CheckpointTable.h"
#include "sites/SiteList.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

constexpr int CheckpointsPerSite = 255;

std::string hex3(int v) {
    const char* digits = "0123456789ABCDEF";
    return {digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
}

std::string idOf(int site, int checkpoint) {
    return hex3(site) + hex3(checkpoint);
}

void makeWorkDir(const fs::path& dir, int sites, int records) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (int s = 0; s < sites; ++s) {
        const std::string name = "Site" + hex3(s);
        fs::create_directories(dir / name / "Raw");
        std::vector<std::string> lines = {"//Checkpoint list for " + name, ""};
        for (int c = 0; c < CheckpointsPerSite; ++c)
            lines.push_back(idOf(s, c) + (c == 0 ? " # " : " = ") + "Point " + std::to_string(c));
        lines.push_back("");
        lines.push_back("//End of File");
        std::ofstream out(dir / name / "checkpt.lst", std::ios::binary);
        textfile::writeLines(out, lines);
    }
    // Clockings a minute apart, visiting the sites in turn so every site receives records.
    std::vector<std::string> raw = {"Id : Brin0042"};
    DateTime t{2011, 7, 1, 0, 0, 0, 0};
    int minuteOfDay = 0;
    for (int i = 0; i < records; ++i) {
        const int site = i % sites;
        const int checkpoint = (i / sites) % CheckpointsPerSite;
        raw.push_back("000000" + idOf(site, checkpoint) + twoDigits(t.year % 100) +
                      twoDigits(t.month) + twoDigits(t.day) + twoDigits(minuteOfDay / 60) +
                      twoDigits(minuteOfDay % 60) + std::to_string(i % 100));
        if (++minuteOfDay == 1440) {
            minuteOfDay = 0;
            t = addDays(t, 1);
        }
    }
    std::ofstream out(dir / "Raw.txt", std::ios::binary);
    textfile::writeLines(out, raw);
}

double storeSeconds = 0;

double runOnce(const fs::path& dir, int sites, int records) {
    makeWorkDir(dir, sites, records);
    VirtualClock clock(DateTime{2011, 8, 9, 14, 5, 0, 0});
    FixedLocaleFormats locale;
    RecordingPrompts prompts;
    RecordingShell shell;
    Trace trace(clock, 0);
    PdfPrint pdf([] { return std::make_unique<HaruPdfWriter>(); }, clock, locale);
    CaptionStore captions;
    BatonNames batonNames(dir);
    CheckpointTable table;
    Workspace ws(WorkspaceServices{clock, locale, prompts, shell, trace, pdf}, dir, captions,
                 batonNames, table);
    ws.messages.SetDefaultMessages(trace);
    pdf.SetPdfTexts(ws.messages);
    ws.sites = ListSites(dir);
    RebuildCheckpointTable(dir, ws.sites, table, true);
    batonNames.LoadBatonNames();

    // DoRaw, timed in its two halves.
    const auto start = std::chrono::steady_clock::now();
    StoreUpload(ws, dir / "Raw.txt");
    const auto stored = std::chrono::steady_clock::now();
    ProcessRawFile(ws, dir / "Raw.txt");
    const auto end = std::chrono::steady_clock::now();
    storeSeconds = std::chrono::duration<double>(stored - start).count();
    if (shell.opened.size() != static_cast<std::size_t>(sites))
        std::printf("  (warning: %zu reports opened, expected %d)\n", shell.opened.size(), sites);
    return std::chrono::duration<double>(end - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const fs::path dir = fs::temp_directory_path() /
                         ("veltrona-process-bench-" + std::to_string(std::random_device{}()));
    std::printf("store (StoreUpload + ProcessRawFile, every report incl. PDF), %d checkpoints "
                "per site\n",
                CheckpointsPerSite);
    std::printf("%8s %8s %10s %10s %10s %12s\n", "sites", "records", "seconds", "store", "process",
                "us/record");
    auto row = [&](int sites, int records) {
        const double s = runOnce(dir, sites, records);
        std::printf("%8d %8d %10.3f %10.3f %10.3f %12.1f\n", sites, records, s, storeSeconds,
                    s - storeSeconds, 1e6 * s / records);
        std::fflush(stdout);
    };
    if (argc == 3) { // one row: SITES RECORDS
        row(std::atoi(argv[1]), std::atoi(argv[2]));
        fs::remove_all(dir);
        return 0;
    }
    std::printf("-- growing records, 256 sites\n");
    for (int records : {4100, 8200, 16400, 32800})
        row(256, records);
    std::printf("-- growing sites, 32800 records\n");
    for (int sites : {32, 64, 128, 256})
        row(sites, 32800);
    fs::remove_all(dir);
    return 0;
}
