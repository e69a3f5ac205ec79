// veltrona-cli clocking-list / overview / stored-reports: the Reports dialog's Create/Open and its
// list of stored reports, over a working directory.
#include "app/cli/CliCommand.h"
#include "app/cli/CliSession.h"
#include "platform/TextFile.h"
#include "processing/Workspace.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportRequest.h"
#include "reports/ReportSelection.h"
#include "reports/StoredReports.h"
#include "sites/SiteList.h"

#include <iostream>

namespace fs = std::filesystem;

namespace veltrona::cli {

namespace {

bool digitsAt(const std::string& s, std::size_t pos, std::size_t count) {
    for (std::size_t i = pos; i < pos + count; ++i)
        if (i >= s.size() || s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

DateTime parseDate(const std::string& text, const std::string& option) {
    if (text.size() < 10 || !digitsAt(text, 0, 4) || text[4] != '-' || !digitsAt(text, 5, 2) ||
        text[7] != '-' || !digitsAt(text, 8, 2))
        throw UsageError(option + " takes YYYY-MM-DD, not " + text);
    DateTime d;
    d.year = std::stoi(text.substr(0, 4));
    d.month = std::stoi(text.substr(5, 2));
    d.day = std::stoi(text.substr(8, 2));
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(d.year, d.month))
        throw UsageError(option + ": no such date " + text);
    return d;
}

// "YYYY-MM-DD HH:MM": the date and the time edit's text ("HHhMM").
void parseDateTime(const std::string& text, const std::string& option, DateTime& date,
                   std::string& time) {
    if (text.size() != 16 || text[10] != ' ' || !digitsAt(text, 11, 2) || text[13] != ':' ||
        !digitsAt(text, 14, 2))
        throw UsageError(option + " takes \"YYYY-MM-DD HH:MM\", not " + text);
    date = parseDate(text.substr(0, 10), option);
    time = text.substr(11, 2) + "h" + text.substr(14, 2);
    try {
        ParseTimeText(time);
    } catch (const ReportTimeError&) {
        throw UsageError(option + ": no such time " + text.substr(11));
    }
}

std::string requiredOption(std::vector<std::string>& args, const std::string& name) {
    std::string value;
    if (!takeOption(args, name, value))
        throw UsageError(name + " is missing");
    return value;
}

void noMoreArguments(const std::vector<std::string>& args) {
    if (!args.empty())
        throw UsageError("unexpected argument " + args.front());
}

// The site as the dialog's site list spells it; a usage error when there is none.
std::string siteOf(const Workspace& ws, const std::string& name) {
    const int index = SiteIndexOf(ws.sites, name);
    if (index < 0)
        throw UsageError("no site named " + name);
    return ws.sites[static_cast<std::size_t>(index)];
}

// The point selector entry of checkpoint `id`, as the dialog's drop-down lists it.
std::string selectorOf(const Workspace& ws, const std::string& site, const std::string& id) {
    const auto lines =
        textfile::readLines(textfile::resolvePath(ws.workDir, fs::path(site) / "checkpt.lst"));
    for (const auto& p : OverviewPointsOf(lines))
        if (p.id == id)
            return PointSelectorEntry(p.id, p.name);
    throw UsageError("site " + site + " has no checkpoint " + id);
}

int exitCodeOf(ReportOutcome outcome) {
    switch (outcome) {
    case ReportOutcome::Completed:
    case ReportOutcome::NoData:
    case ReportOutcome::DownloadsOpened:
        return 0;
    default:
        return 1;
    }
}

int clockingListCommand(const fs::path& workDir, const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const CliSessionOptions options = takeSessionOptions(args);
    const std::string siteName = requiredOption(args, "--site");
    ReportRequest request;
    request.type = ReportType::ClockingList;
    parseDateTime(requiredOption(args, "--from"), "--from", request.startDate, request.startTime);
    parseDateTime(requiredOption(args, "--to"), "--to", request.endDate, request.endTime);
    request.sortByCheckpoint = takeFlag(args, "--sort");
    std::string point;
    request.pointFilter = takeOption(args, "--point", point);
    const bool pdfOn = takeFlag(args, "--pdf");
    const bool pdfOff = takeFlag(args, "--no-pdf");
    if (pdfOn && pdfOff)
        throw UsageError("--pdf and --no-pdf exclude each other");
    noMoreArguments(args);

    CliSession session(workDir, options, std::cerr);
    Workspace& ws = session.workspace();
    request.site = siteOf(ws, siteName);
    if (request.pointFilter)
        request.pointSelector = selectorOf(ws, request.site, point);
    request.pdf = pdfOn || (!pdfOff && ws.settings.secureReports);
    ReportBuilder builder(ws);
    return exitCodeOf(builder.CreateOpen(request));
}

int overviewCommand(const fs::path& workDir, const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const CliSessionOptions options = takeSessionOptions(args);
    const std::string siteName = requiredOption(args, "--site");
    ReportRequest request;
    request.type = ReportType::Overview;
    request.startDate = parseDate(requiredOption(args, "--from"), "--from");
    request.endDate = parseDate(requiredOption(args, "--to"), "--to");
    const bool night = takeFlag(args, "--night");
    const bool day = takeFlag(args, "--day");
    if (night && day)
        throw UsageError("--night and --day exclude each other");
    std::string point;
    request.pointFilter = takeOption(args, "--point", point);
    noMoreArguments(args);

    CliSession session(workDir, options, std::cerr);
    Workspace& ws = session.workspace();
    request.site = siteOf(ws, siteName);
    if (request.pointFilter)
        request.pointSelector = selectorOf(ws, request.site, point);
    // The dialog after a language load: "Sort by checkpoints" off, "Create PDF report" on, the
    // shift as DayorNight says unless the command line chooses, the range handler's times.
    request.nightShift = night || (!day && ws.settings.nightShift);
    request.startTime = request.nightShift ? "12h00" : "00h00";
    request.endTime = request.nightShift ? "12h00" : "23h59";
    request.sortByCheckpoint = false;
    request.pdf = true;
    ReportBuilder builder(ws);
    return exitCodeOf(builder.CreateOpen(request));
}

int storedReportsCommand(const fs::path& workDir, const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const CliSessionOptions options = takeSessionOptions(args);
    const std::string siteName = requiredOption(args, "--site");
    const bool pdf = takeFlag(args, "--pdf");
    noMoreArguments(args);

    CliSession session(workDir, options, std::cerr);
    Workspace& ws = session.workspace();
    const std::string site = siteOf(ws, siteName);
    const auto rows = ListStoredReports(textfile::resolvePath(ws.workDir, site),
                                        pdf ? "*.pdf" : "*.txt", ws.prompts);
    for (const auto& row : rows)
        std::cout << row.date << "\t" << row.time << "\n";
    std::cout << std::flush;
    return 0;
}

const CliRegistration clockingListRegistration{
    {"clocking-list",
     "clocking-list --site S --from \"YYYY-MM-DD HH:MM\" --to \"YYYY-MM-DD HH:MM\" [--sort] "
     "[--point ID] [--pdf|--no-pdf] [--open]",
     clockingListCommand}};
const CliRegistration overviewRegistration{
    {"overview",
     "overview --site S --from YYYY-MM-DD --to YYYY-MM-DD [--night|--day] [--point ID] [--open]",
     overviewCommand}};
const CliRegistration storedReportsRegistration{
    {"stored-reports", "stored-reports --site S [--pdf]", storedReportsCommand}};

} // namespace

} // namespace veltrona::cli
