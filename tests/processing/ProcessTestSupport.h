#pragma once

// A working directory with sites, a raw file and the whole workspace around ProcessRawFile, on
// the virtual clock, fixed locale formats and recording fakes.

#include "app/BatonNames.h"
#include "app/CaptionStore.h"
#include "app/LanguageFile.h"
#include "app/MessageTable.h"
#include "app/Trace.h"
#include "platform/LocaleFormats.h"
#include "platform/TextFile.h"
#include "platform/virtual/RecordingPdfWriter.h"
#include "platform/virtual/RecordingPrompts.h"
#include "platform/virtual/RecordingShell.h"
#include "platform/virtual/VirtualClock.h"
#include "processing/ClockingRecord.h"
#include "processing/ProcessRawFile.h"
#include "processing/Workspace.h"
#include "processing/pdfprint.h"
#include "sites/CheckpointTable.h"
#include "sites/SiteList.h"
#include "tests/support/TempWorkDir.h"

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace veltrona::test {

// A download line: prefix 000000, Id, yymmdd, hour byte, minute byte, block number.
inline std::string Rec(const std::string& id, const std::string& day, const std::string& hour,
                       const std::string& minute, const std::string& block = "2") {
    return "000000" + id + day + hour + minute + block;
}

// A combined-mode line as the Reports dialog copies it from a day file: 22 characters, the first
// byte the record check over the ten after it (wrong on purpose when `valid` is false).
inline std::string CheckedRec(const std::string& id, const std::string& day,
                              const std::string& hour, const std::string& minute,
                              bool valid = true) {
    std::string body = "0000" + id + day + hour + minute;
    unsigned char bytes[10];
    for (int i = 0; i < 10; ++i)
        bytes[i] = static_cast<unsigned char>(std::stoi(body.substr(2 * i, 2), nullptr, 16));
    unsigned crc = record::Crc8(bytes, 10);
    if (!valid)
        crc ^= 0x5A;
    const char* hex = "0123456789ABCDEF";
    return std::string{hex[crc >> 4], hex[crc & 15]} + body;
}

struct SiteDef {
    std::string name;
    std::vector<std::string> checkpointLines; // "123ABC = Main gate"
};

inline std::vector<std::string> CheckpointFile(const SiteDef& s) {
    std::vector<std::string> lines = {"//Checkpoint list for " + s.name, ""};
    lines.insert(lines.end(), s.checkpointLines.begin(), s.checkpointLines.end());
    lines.push_back("");
    for (const char* label :
         {"Round Time  = 060", "Rest Time   = 030", "Num Batons  = 1", "FP Type     = 0"})
        lines.push_back(label);
    for (int i = 0; i < 14; ++i)
        lines.push_back(std::string(i % 2 ? "FT" : "ST") + " Mon      = 22h00");
    lines.push_back("");
    lines.push_back("//End of File");
    return lines;
}

class ProcessTest : public ::testing::Test {
protected:
    ProcessTest()
        : clock(DateTime{2011, 8, 9, 14, 5, 0, 0}), trace(clock, 0),
          recording(std::make_shared<PdfRecording>()),
          pdf(RecordingPdfWriter::factory(recording), clock, locale), batonNames(dir.path()),
          ws(WorkspaceServices{clock, locale, prompts, shell, trace, pdf}, dir.path(), captions,
             batonNames, table) {
        ws.messages.SetDefaultMessages(trace);
        const bool loaded =
            LoadLanguageFile(std::filesystem::path(VELTRONA_SOURCE_DIR) / "app" / "English.lng",
                             ws.messages, captions, prompts, trace);
        EXPECT_TRUE(loaded);
        pdf.SetPdfTexts(ws.messages);
        ws.settings.reportHeader = "Acme Guards";
        ws.settings.reportFooter = "www.acme.example";
        ws.settings.aboutWeb = "www.veltrona.example";
        ws.idLabelText = "Id : Brin0042";
    }

    void addSite(const SiteDef& s) { dir.writeLines(s.name + "/checkpt.lst", CheckpointFile(s)); }

    // Lists the sites and builds the table, as start-up does.
    void startUp() {
        ws.sites = ListSites(dir.path());
        RebuildCheckpointTable(dir.path(), ws.sites, table, true);
        batonNames.LoadBatonNames();
    }

    // Writes Raw.txt, last modified on 9 August 2011 at 14:00 local time.
    std::filesystem::path writeRaw(const std::vector<std::string>& lines,
                                   const std::string& name = "Raw.txt") {
        dir.writeLines(name, lines);
        std::tm tm{};
        tm.tm_year = 111;
        tm.tm_mon = 7;
        tm.tm_mday = 9;
        tm.tm_hour = 14;
        tm.tm_isdst = -1;
        const auto sys = std::chrono::system_clock::from_time_t(std::mktime(&tm));
        std::filesystem::last_write_time(dir / name, std::chrono::file_clock::from_sys(sys));
        return dir / name;
    }

    void process(const std::vector<std::string>& raw) { ProcessRawFile(ws, writeRaw(raw)); }

    // The listing lines of a text report (between the column heading and the first empty line).
    static std::vector<std::string> listing(const std::vector<std::string>& report) {
        std::vector<std::string> out;
        bool in = false;
        for (const auto& l : report) {
            if (in && l.empty())
                break;
            if (in)
                out.push_back(l);
            if (l.rfind("Date       Time", 0) == 0)
                in = true;
        }
        return out;
    }

    std::vector<std::string> siteFile(const std::string& site, const std::string& ext) const {
        return dir.readLines(site + "/08091405." + ext);
    }

    // The calls of PDF document n, the working directory in a saved file's name written as
    // WORKDIR.
    std::vector<std::string> pdfCalls(int document) const {
        std::vector<std::string> out;
        const std::string root = dir.path().string();
        for (auto c : recording->documentCalls(document)) {
            if (const auto at = c.find(root); at != std::string::npos)
                c.replace(at, root.size(), "WORKDIR");
            out.push_back(c);
        }
        return out;
    }

    TempWorkDir dir;
    VirtualClock clock;
    FixedLocaleFormats locale;
    RecordingPrompts prompts;
    RecordingShell shell;
    Trace trace;
    std::shared_ptr<PdfRecording> recording;
    PdfPrint pdf;
    CaptionStore captions;
    BatonNames batonNames;
    CheckpointTable table;
    Workspace ws;
};

} // namespace veltrona::test
