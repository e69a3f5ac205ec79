#include "processing/ProcessRawFile.h"

#include "platform/Chars.h"

#include "app/ActionLog.h"
#include "app/BatonNames.h"
#include "app/MessageTable.h"
#include "platform/Clock.h"
#include "platform/FileError.h"
#include "platform/LocaleFormats.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "processing/ClockingRecord.h"
#include "processing/ProcessSplit.h"
#include "processing/ReportTexts.h"
#include "processing/UnknownCheckpoints.h"
#include "processing/Workspace.h"
#include "processing/pdfprint.h"
#include "sites/CheckpointList.h"
#include "sites/SiteList.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

using reporttext::Clocking;
using reporttext::Frequencies;
using reporttext::FrequencyRow;

constexpr const char* FiveSpaces = "     ";

std::string sub(const std::string& s, std::size_t from1, std::size_t count) {
    return from1 - 1 < s.size() ? s.substr(from1 - 1, count) : std::string();
}

// Characters 19-20 as the hour byte; nullopt when they are not hex.
std::optional<int> hourByte(const std::string& line) {
    const int hi = hexDigit(line[18]);
    const int lo = hexDigit(line[19]);
    if (hi < 0 || lo < 0)
        return std::nullopt;
    return hi * 16 + lo;
}

// Puts the hour without its flag bits back into character 19.
void clearHourFlags(std::string& line) {
    if (const auto h = hourByte(line))
        line[18] = "0123456789ABCDEF"[(*h & 0x3F) >> 4];
}

// A unit marker's minute without its marker bit, so its time reads as a time.
void clearMarkerBit(std::string& line) {
    const int minute = record::MinuteValue(line);
    if (minute >= 128)
        line[20] = "0123456789ABCDEF"[(minute & 0x7F) >> 4];
}

int decimalOr0(std::string_view s) {
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string atLeastTwoDigits(int v) {
    return v >= 0 && v < 10 ? "0" + std::to_string(v) : std::to_string(v);
}

std::string dateText(const std::string& line) {
    return "20" + sub(line, 13, 2) + "/" + sub(line, 15, 2) + "/" + sub(line, 17, 2);
}
std::string timeText(const std::string& line) {
    return sub(line, 19, 2) + ":" + sub(line, 21, 2);
}

bool holdsSomething(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec) && fs::file_size(file, ec) > 0;
}

void openIgnoringFailure(Shell& shell, const fs::path& file) {
    try {
        shell.open(file);
    } catch (const std::exception&) {
        // A viewer that cannot be started does not undo the reports already written.
    }
}

// The progress panel and busy cursor of one processing, put back however the call ends so a
// failure leaves the window usable.
class ProgressScope {
public:
    explicit ProgressScope(Prompts& prompts) : prompts_(prompts) {
        prompts_.showProgress(true);
        prompts_.processEvents();
        prompts_.setLed(Prompts::Led::Green);
        prompts_.setBusyCursor(true);
    }
    ~ProgressScope() {
        prompts_.setBusyCursor(false);
        prompts_.showProgress(false);
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void start() { update(); }
    void step() {
        ++position_;
        if (position_ > maximum_ - 100)
            maximum_ += 200;
        update();
    }
    void settle() {
        maximum_ = position_ + 100;
        update();
    }

private:
    void update() { prompts_.setProgress(position_, maximum_); }

    Prompts& prompts_;
    int position_ = 0;
    int maximum_ = 4000;
};

// The own and common checkpoint lists of one site's report. Every entry is visited and the
// last match wins, so a look-up only needs the last entry of each Id and the list sizes.
class NameLookup {
public:
    NameLookup(Workspace& ws, const std::string& site, std::vector<Checkpoint> own,
               std::vector<Checkpoint> common)
        : ws_(ws), site_(site), own_(std::move(own)), common_(std::move(common)) {
        for (std::size_t i = 0; i < own_.size(); ++i)
            ownIndex_[own_[i].id] = i;
        for (std::size_t i = 0; i < common_.size(); ++i)
            commonIndex_[common_[i].id] = i;
    }

    struct Found {
        std::string name;
        std::string mark;
    };

    // The location name and mark of `id`; an Id in neither list gets a numbered name and is
    // appended to the site's checkpoint list (and to the own list, for its later clockings).
    Found lookUp(const std::string& id) {
        if (auto it = ownIndex_.find(id); it != ownIndex_.end())
            return found(own_[it->second]);
        int number = 1 + static_cast<int>(own_.size());
        if (auto it = commonIndex_.find(id); it != commonIndex_.end())
            return found(common_[it->second]);
        number += static_cast<int>(common_.size());

        std::string name = std::to_string(number) + " " + unknownName(id);
        InsertCheckpointLine(ws_.workDir, site_, id, name);
        own_.push_back(Checkpoint{id, '=', name});
        ownIndex_[id] = own_.size() - 1;
        return Found{name, ""};
    }

private:
    static Found found(const Checkpoint& c) {
        return Found{c.name, c.mark == ' ' ? std::string() : std::string(1, c.mark)};
    }

    std::string unknownName(const std::string& id) const {
        static const std::pair<const char*, int> special[] = {
            {"000000", 81}, {"0FA501", 175}, {"0FA502", 176}, {"0FA503", 177}, {"0FA504", 178}};
        for (const auto& [specialId, message] : special)
            if (id == specialId)
                return ws_.messages.Message(message);
        return ws_.messages.Message(23);
    }

    Workspace& ws_;
    const std::string& site_;
    std::vector<Checkpoint> own_;
    std::vector<Checkpoint> common_;
    std::unordered_map<std::string, std::size_t> ownIndex_;
    std::unordered_map<std::string, std::size_t> commonIndex_;
};

std::vector<Checkpoint> commonCheckpoints(const fs::path& workDir) {
    if (!textfile::fileExists(CheckpointListPath(workDir, "common")))
        return {};
    return ReadCheckpoints(workDir, "common");
}

// The interval of the listing: hours and minutes since the previous clocking of the same day.
class IntervalClock {
public:
    std::string next(const std::string& line) {
        const std::string year = sub(line, 13, 2), month = sub(line, 15, 2), day = sub(line, 17, 2);
        const int hour = decimalOr0(sub(line, 19, 2));
        const int minute = decimalOr0(sub(line, 21, 2));
        std::string text = FiveSpaces;
        if (have_ && decimalOr0(year_) != 0) {
            int minutes = minute - minute_;
            int hours = hour - hour_;
            if (minutes < 0) {
                minutes += 60;
                hours -= 1;
            }
            if (hours >= 0 && year == year_ && month == month_ && day == day_)
                text = atLeastTwoDigits(hours) + ":" + atLeastTwoDigits(minutes);
        }
        have_ = true;
        year_ = year;
        month_ = month;
        day_ = day;
        hour_ = hour;
        minute_ = minute;
        return text;
    }

private:
    bool have_ = false;
    std::string year_, month_, day_;
    int hour_ = 0, minute_ = 0;
};

struct RunValues {
    std::string downloadDate;
    std::string stamp;
    IdLineValues id;
};

// One site's text and comma-separated sections, and its PDF document.
void writeSiteReport(Workspace& ws, const RunValues& run, const ProcessCounts& counts, int s,
                     const std::vector<std::string>& scratch, const fs::path& textFile,
                     const fs::path& csvFile) {
    const MessageTable& m = ws.messages;
    const Settings& cfg = ws.settings;
    const std::string& site = ws.sites[static_cast<std::size_t>(s)];
    const bool combined = run.id.combined;
    const bool frequencies = cfg.generateFrequencyReport && !ws.pointFilter;

    std::vector<std::string> text;
    std::vector<std::string> csv;
    if (combined ? holdsSomething(textFile) : textfile::fileExists(textFile))
        text = reporttext::SectionSeparator();
    if (textfile::fileExists(csvFile))
        csv = reporttext::SectionSeparator();
    auto add = [](std::vector<std::string>& to, const std::vector<std::string>& lines) {
        to.insert(to.end(), lines.begin(), lines.end());
    };

    NameLookup names(ws, site, ReadCheckpoints(ws.workDir, site), commonCheckpoints(ws.workDir));

    // First pass: every Id gets a name (unknown ones join the list) and the period is found.
    std::string from, to;
    for (std::string line : scratch) {
        if (line.size() < record::RecordLength)
            continue;
        const bool valid = combined ? record::CheckRecordCrc(line) : true;
        names.lookUp(line.substr(6, 6));
        clearHourFlags(line);
        clearMarkerBit(line); // a marker may open or close the period
        if (valid) {
            const std::string dt = dateText(line) + " " + timeText(line);
            if (from.empty())
                from = dt;
            to = dt;
        }
    }

    // Counts over the whole scratch file, against the lists as the first pass left them.
    std::unordered_map<std::string, int> idCounts;
    for (const auto& line : scratch)
        if (line.size() >= 12)
            ++idCounts[line.substr(6, 6)];
    auto rowsOf = [&](const std::vector<Checkpoint>& list) {
        std::vector<FrequencyRow> rows;
        for (const auto& c : list) {
            const auto it = idCounts.find(c.id);
            rows.push_back(FrequencyRow{c.id, c.name, it == idCounts.end() ? 0 : it->second});
        }
        return rows;
    };
    Frequencies freq;
    if (frequencies) {
        freq.own = rowsOf(ReadCheckpoints(ws.workDir, site));
        // The common site's own list is the common list: counting it again would list every
        // checkpoint twice and double the total.
        if (!IsCommonSite(site))
            freq.common = rowsOf(commonCheckpoints(ws.workDir));
    }

    const std::string batonName = ws.batonNames.LookUpBatonName(run.id.identity);
    add(text, reporttext::TextHeader(m, cfg.reportHeader, site));
    add(csv,
        reporttext::CsvHeader({from, to, run.downloadDate, cfg.reportHeader, site, batonName}));
    if (frequencies)
        add(csv, reporttext::CsvFrequencyRows(freq));

    reporttext::ListingHeading heading;
    heading.combined = combined;
    heading.downloadDate = run.downloadDate;
    heading.batonName = batonName;
    heading.versionCode = ws.versionCode;
    heading.identity = run.id.identity;
    heading.sorted = run.id.sorted;
    add(text, reporttext::TextListingHeading(m, heading));
    csv.push_back(reporttext::CsvListingHeading());
    ws.pdf.BeginDownloadDocument(reporttext::PdfTitle(m, combined, cfg.reportHeader),
                                 reporttext::PdfFooter(cfg.reportFooter),
                                 reporttext::PdfSubtitle(combined, site, run.id.identity));

    // Second pass: the listing.
    IntervalClock interval;
    const bool separators = !run.id.sorted && !ws.pointFilter && !run.id.noSeparators;
    for (std::string line : scratch) {
        if (line.size() < record::RecordLength)
            continue;
        const bool valid = combined ? record::CheckRecordCrc(line) : true;
        if (record::MinuteValue(line) >= 128) {
            add(text, reporttext::TextUnitMarker(m, line));
            continue;
        }
        Clocking c;
        c.id = line.substr(6, 6);
        const auto found = names.lookUp(c.id);
        const bool roundStart = found.mark == "#";
        if (roundStart && separators)
            text.push_back(reporttext::TextRoundSeparator(m));
        const int flags = hourByte(line).value_or(0);
        c.flagA = (flags & 0x80) != 0;
        c.flagB = (flags & 0x40) != 0;
        clearHourFlags(line);
        c.interval = interval.next(line);
        c.date = dateText(line);
        c.time = timeText(line);
        c.name = found.name;
        c.valid = valid;
        add(text, reporttext::TextClocking(m, c));
        std::string row;
        if (reporttext::CsvClockingRow(c, row)) {
            csv.push_back(row);
            ws.pdf.AddClockingRow(c.date, c.time + " " + c.interval, c.name,
                                  roundStart && !run.id.sorted);
        }
    }

    if (frequencies) {
        add(text, reporttext::TextFrequencyReport(m, freq));
        std::vector<std::string> pdfNames, pdfCounts;
        for (const auto& r : freq.own) {
            pdfNames.push_back(r.name);
            pdfCounts.push_back(std::to_string(r.count));
        }
        ws.pdf.AddFrequencyTable(m.Message(24), m.Message(152), m.Message(153), pdfNames,
                                 pdfCounts);
    }

    reporttext::WarningCounts warnings{counts.corruptOf(s), counts.reversals, counts.records};
    if (warnings.any()) {
        add(text, reporttext::TextWarningsBlock(m, warnings));
        const auto lines = reporttext::WarningLines(m, warnings);
        add(csv, lines);
        ws.pdf.AddWarningLine("");
        ws.pdf.AddWarningLine(m.Message(72));
        for (const auto& l : lines)
            ws.pdf.AddWarningLine(l);
    }

    add(text, reporttext::Footer(m, cfg.aboutWeb));
    add(csv, reporttext::Footer(m, cfg.aboutWeb));
    textfile::appendLines(textFile, text);
    textfile::appendLines(csvFile, csv);
}

} // namespace

std::string ReportStamp(const DateTime& now) {
    return twoDigits(now.month) + twoDigits(now.day) + twoDigits(now.hour) + twoDigits(now.minute);
}

DateTime FileModificationTime(const fs::path& file) {
    std::error_code ec;
    const auto written = fs::last_write_time(file, ec);
    if (ec)
        throw FileError(file, "cannot read the modification time: " + ec.message());
    const auto sys = std::chrono::time_point_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(written));
    const std::time_t t = std::chrono::system_clock::to_time_t(sys);
    static std::mutex localtimeMutex; // std::localtime shares one buffer
    std::lock_guard lock(localtimeMutex);
    const std::tm* tm = std::localtime(&t);
    if (!tm)
        throw FileError(file, "modification time out of range");
    return DateTime{
        tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec, 0};
}

void ProcessRawFile(Workspace& ws, const fs::path& rawFile) {
    ProgressScope progress(ws.prompts);
    ws.prompts.setStatusText(ws.messages.Message(37));
    progress.start();

    RunValues run;
    run.downloadDate = ws.locale.dateTimeText(FileModificationTime(rawFile));
    run.stamp = ReportStamp(ws.clock.now());

    const SplitContext context{ws.workDir, ws.sites, ws.checkpoints};
    auto splitResult = SplitForProcessing(rawFile, context, ws.settings.removeDuplicatePoints,
                                          [&progress] { progress.step(); });
    progress.settle();
    run.id = splitResult.id;
    const ProcessCounts& counts = splitResult.counts;

    if (ShouldAskUnknownCheckpoints(ws) && ws.askUnknownCheckpoints)
        ws.askUnknownCheckpoints(ws);

    const bool combined = run.id.combined;
    const fs::path processedTxt = textfile::resolveName(ws.workDir, "Processed.txt");
    const fs::path processedCsv = textfile::resolveName(ws.workDir, "Processed.csv");
    if (combined)
        textfile::replaceFileLines(processedTxt, {});

    // The unknown-checkpoints answer may have added a site.
    const int siteCount = ws.siteCount();
    bool anyData = false;
    for (int s = 0; s < siteCount; ++s) {
        const std::string& site = ws.sites[static_cast<std::size_t>(s)];
        const auto scratch = textfile::readLines(ScratchFilePath(ws.workDir, s));
        const bool hasData = !scratch.empty();
        const fs::path siteDir = SiteDir(ws.workDir, site);
        const fs::path stampTxt = textfile::resolveName(siteDir, run.stamp + ".txt");
        const fs::path stampCsv = textfile::resolveName(siteDir, run.stamp + ".csv");
        const fs::path stampPdf = textfile::resolveName(siteDir, run.stamp + ".pdf");
        if (hasData) {
            anyData = true;
            progress.step();
            ws.prompts.processEvents();
            writeSiteReport(ws, run, counts, s, scratch, combined ? processedTxt : stampTxt,
                            combined ? processedCsv : stampCsv);
            if (!combined)
                ws.pdf.SaveDocument(stampPdf);
        }

        const bool mayOpen = hasData && !combined && ws.settings.openReportAfterProcessing &&
                             !ws.failedPatrolPending;
        const fs::path chosen =
            textfile::resolveName(siteDir, run.stamp + "." + ws.settings.filetype);
        if (mayOpen && !ws.settings.secureReports && textfile::fileExists(chosen))
            openIgnoringFailure(ws.shell, chosen);
        if (mayOpen && ws.settings.secureReports && textfile::fileExists(stampPdf))
            openIgnoringFailure(ws.shell, stampPdf);
        if (!textfile::fileExists(stampPdf) && !textfile::fileExists(stampTxt))
            continue;
        if (!ws.failedPatrolPending && !combined && hasData)
            AppendActionLog(ws.workDir, ws.clock, site,
                            (ws.settings.clearVeltronaMemory
                                 ? "Veltrona Uploaded and cleared "
                                 : "Veltrona Uploaded and Not cleared ") +
                                ws.idLabelText);
    }

    DeleteScratchFiles(ws.workDir, ws.siteCount());
    ws.prompts.setBusyCursor(false);
    ws.prompts.setLed(Prompts::Led::Lime);

    if (combined) {
        // Nothing of the chosen range reached a site: say so rather than show an empty report.
        if (!anyData) {
            ws.prompts.showMessage(ws.messages.Message(150));
        } else if (ws.settings.secureReports) {
            const fs::path reportPdf = textfile::resolveName(ws.workDir, "Report.pdf");
            ws.pdf.SaveDocument(reportPdf);
            openIgnoringFailure(ws.shell, reportPdf);
        } else {
            openIgnoringFailure(ws.shell, processedTxt);
        }
    }
}

} // namespace veltrona
