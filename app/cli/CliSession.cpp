#include "app/cli/CliSession.h"

#include "app/cli/CliCommand.h"

#include "app/BatonNames.h"
#include "app/CaptionStore.h"
#include "app/LanguageFile.h"
#include "app/MessageTable.h"
#include "app/Settings.h"
#include "app/Trace.h"
#include "platform/TextFile.h"
#include "platform/qt/DesktopShell.h"
#include "platform/qt/HaruPdfWriter.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/SystemLocaleFormats.h"
#include "processing/Workspace.h"
#include "processing/pdfprint.h"
#include "sites/CheckpointTable.h"
#include "sites/SiteList.h"

#include <cmath>
#include <ostream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace veltrona::cli {

std::string CliPrompts::oneLine(const std::string& text) {
    std::string s = text;
    for (auto& c : s)
        if (c == '\r' || c == '\n')
            c = ' ';
    return s;
}

void CliPrompts::showMessage(const std::string& text) {
    err_ << "message: " << oneLine(text) << "\n" << std::flush;
}

bool CliPrompts::confirm(const std::string& text) {
    bool answer = false;
    if (!confirmAnswers.empty()) {
        answer = confirmAnswers.front();
        confirmAnswers.pop_front();
    }
    err_ << "confirm: " << oneLine(text) << " -> " << (answer ? "Yes" : "No") << "\n" << std::flush;
    return answer;
}

std::optional<std::string> CliPrompts::inputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& /*initial*/) {
    std::optional<std::string> answer;
    if (!inputAnswers.empty()) {
        answer = inputAnswers.front();
        inputAnswers.pop_front();
    }
    err_ << "input: " << oneLine(caption) << ": " << oneLine(prompt) << " -> "
         << (answer ? *answer : std::string("(cancelled)")) << "\n"
         << std::flush;
    return answer;
}

void CliShell::open(const fs::path& document) {
    err_ << "open: " << document.string() << "\n" << std::flush;
    if (reallyOpen_ && desktop_)
        desktop_->open(document);
}

bool CliShell::moveToTrash(const fs::path& tree) {
    err_ << "trash: " << tree.string() << "\n" << std::flush;
    return desktop_ ? desktop_->moveToTrash(tree) : false;
}

CliSessionOptions takeSessionOptions(std::vector<std::string>& args) {
    CliSessionOptions options;
    options.open = takeFlag(args, "--open");
    return options;
}

namespace {

// The trace stamp of the program's start: days since 30 December 1899 times 3600, rounded.
std::int64_t traceStampOf(const DateTime& now) {
    const double days =
        static_cast<double>(daysFromCivil(now.year, now.month, now.day) -
                            daysFromCivil(1899, 12, 30)) +
        (now.hour * 3600.0 + now.minute * 60.0 + now.second + now.millisecond / 1000.0) / 86400.0;
    return static_cast<std::int64_t>(std::nearbyint(days * 3600.0));
}

} // namespace

struct CliSession::Impl {
    Impl(const fs::path& dir, const CliSessionOptions& options, std::ostream& err)
        : prompts(err), shell(err, options.open, &desktop), trace(clock, traceStampOf(clock.now())),
          pdf([] { return std::make_unique<HaruPdfWriter>(); }, clock, locale), batonNames(dir),
          workspace(WorkspaceServices{clock, locale, prompts, shell, trace, pdf}, dir, captions,
                    batonNames, table) {
        prompts.inputAnswers.assign(options.inputAnswers.begin(), options.inputAnswers.end());
        prompts.confirmAnswers.assign(options.confirmAnswers.begin(), options.confirmAnswers.end());
    }

    SystemClock clock;
    SystemLocaleFormats locale;
    DesktopShell desktop;
    CliPrompts prompts;
    CliShell shell;
    Trace trace;
    PdfPrint pdf;
    CaptionStore captions;
    BatonNames batonNames;
    CheckpointTable table;
    Workspace workspace;
};

CliSession::CliSession(const fs::path& workDir, const CliSessionOptions& options,
                       std::ostream& err) {
    if (!fs::is_directory(workDir))
        throw std::runtime_error("not a directory: " + workDir.string());
    const fs::path dir = fs::absolute(workDir).lexically_normal();
    impl_ = std::make_unique<Impl>(dir, options, err);
    Workspace& ws = impl_->workspace;

    ws.trace.setWorkDir(dir);
    LoadSettings(dir, ws.settings, ws.trace);
    ws.messages.SetDefaultMessages(ws.trace);
    const fs::path language = textfile::resolveName(dir, ws.settings.languageFile);
    if (!textfile::fileExists(language)) {
        ws.prompts.showMessage("Fatal Error: Missing Language File\rPlease re-install the "
                               "application");
        throw StartupFailed();
    }
    LoadLanguageFile(language, ws.messages, ws.captions, ws.prompts, ws.trace);
    ws.pdf.SetPdfTexts(ws.messages);

    ws.sites = ListSites(dir);
    // As the program does, a working directory needs a first site; here the name can only come
    // from a preset answer.
    while (ws.sites.empty()) {
        const auto name = AskSiteName(ws.prompts, ws.messages);
        if (!name)
            throw std::runtime_error("the working directory has no site");
        CreateSite(dir, *name, ws.sites, ws.prompts, ws.messages);
    }
    ws.batonNames.LoadBatonNames();
    RebuildCheckpointTable(dir, ws.sites, ws.checkpoints, true);
}

CliSession::~CliSession() {
    if (!impl_)
        return;
    // The scratch files of the run; the reports stay.
    std::error_code ec;
    std::vector<fs::path> scratch;
    for (fs::directory_iterator it(impl_->workspace.workDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".$$$") == 0)
            scratch.push_back(it->path());
    }
    for (const auto& file : scratch)
        if (fs::is_regular_file(file, ec))
            fs::remove(file, ec);
}

Workspace& CliSession::workspace() {
    return impl_->workspace;
}

CliPrompts& CliSession::prompts() {
    return impl_->prompts;
}

} // namespace veltrona::cli
