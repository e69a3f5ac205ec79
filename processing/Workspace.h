#pragma once

#include "app/MessageTable.h"
#include "app/Settings.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace veltrona {

class Clock;
class LocaleFormats;
class Prompts;
class Shell;
class Trace;
class PdfPrint;
class CaptionStore;
class BatonNames;
class CheckpointTable;

// The platform services the core reaches the outside world through. The window program passes
// the real ones, the command-line front end its printing ones, tests their recording fakes.
struct WorkspaceServices {
    const Clock& clock;
    const LocaleFormats& locale;
    Prompts& prompts;
    Shell& shell;
    Trace& trace;
    PdfPrint& pdf;
};

// The state that lives in the main window and is shared by every operation of a run: one plain
// object, so the command-line front end and the tests build the same thing without any window.
// The owner keeps the caption store, baton names and checkpoint table alive at least as long.
class Workspace {
public:
    Workspace(const WorkspaceServices& services, std::filesystem::path dir,
              CaptionStore& captionStore, BatonNames& names, CheckpointTable& table)
        : clock(services.clock), locale(services.locale), prompts(services.prompts),
          shell(services.shell), trace(services.trace), pdf(services.pdf), workDir(std::move(dir)),
          captions(captionStore), batonNames(names), checkpoints(table) {}

    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Number of sites in the master site list; also the index of the unknown scratch file.
    int siteCount() const { return static_cast<int>(sites.size()); }

    const Clock& clock;
    const LocaleFormats& locale;
    Prompts& prompts;
    Shell& shell;
    Trace& trace;
    PdfPrint& pdf;

    std::filesystem::path workDir;
    Settings settings;
    MessageTable messages;
    CaptionStore& captions;
    BatonNames& batonNames;
    CheckpointTable& checkpoints;

    // The master site list: sorted at start-up without regard to case, new sites appended.
    // A site's position here is its site index.
    std::vector<std::string> sites;

    // The main window's Id label text (lblID), e.g. "Id : 1234ABCD".
    std::string idLabelText = "Id : ";
    // Values shared with the upload cycle.
    std::string batonIdentity;
    std::string versionCode;
    bool failedPatrolPending = false;
    // The Reports dialog's "Point filter" check box.
    bool pointFilter = false;

    // Asks what to do with the clockings of unknown checkpoints while processing waits (the
    // window shows its modal dialog, the command-line front end answers from its option). Empty:
    // they are ignored.
    std::function<void(Workspace&)> askUnknownCheckpoints;
};

} // namespace veltrona
