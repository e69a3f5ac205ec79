#include "processing/StoreUpload.h"

#include "app/MessageTable.h"
#include "platform/FileError.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "processing/DayFiles.h"
#include "processing/SplitBySite.h"
#include "processing/Workspace.h"
#include "sites/CheckpointTable.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

// The progress gauge: one step per line read, the maximum growing by 200 whenever the position
// comes within 100 of it.
class StoreProgress : public SplitObserver {
public:
    explicit StoreProgress(Prompts& prompts) : prompts_(prompts) {}
    void onLineRead(const std::string&) override {
        ++position_;
        if (position_ > maximum_ - 100)
            maximum_ += 200;
        prompts_.setProgress(position_, maximum_);
        prompts_.processEvents();
    }
    void finish() {
        maximum_ = position_ + 100;
        prompts_.setProgress(position_, maximum_);
    }

private:
    Prompts& prompts_;
    int position_ = 0;
    int maximum_ = 4000;
};

// Restores the normal cursor however the operation ends.
class BusyCursor {
public:
    explicit BusyCursor(Prompts& prompts) : prompts_(prompts) { prompts_.setBusyCursor(true); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    ~BusyCursor() { prompts_.setBusyCursor(false); }

private:
    Prompts& prompts_;
};

void createEmpty(const fs::path& file) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        throw FileError(file, "cannot create file");
}

} // namespace

void StoreUpload(const fs::path& rawFile, const fs::path& workDir, const SiteList& sites,
                 const CheckpointTable& table, Prompts& prompts, const MessageTable& messages) {
    prompts.showProgress(true);
    prompts.setLed(Prompts::Led::Green);
    prompts.setStatusText(messages.Message(37));
    prompts.processEvents();
    prompts.setProgress(0, 4000);
    const BusyCursor busy(prompts);

    StoreProgress progress(prompts);
    const SplitContext context{workDir, sites, table};
    const SplitResult split = SplitBySite(rawFile, context, SplitOptions::Store(), &progress);
    progress.finish();

    // The first output of every site's merge; it never receives a line and stays behind.
    if (!sites.empty())
        createEmpty(textfile::resolveName(workDir, "empty.txt"));
    // All sites' day files are replaced together, with one sync for the lot.
    DayFileUpdates updates;
    for (std::size_t s = 0; s < sites.size(); ++s)
        PlanDayFiles(workDir, sites[s], split.lines[s], updates);
    textfile::replaceFilesLines(updates);

    const int siteCount = static_cast<int>(sites.size());
    DeleteScratchFiles(workDir, siteCount);
    std::error_code ec;
    fs::remove(textfile::resolveName(workDir, "sorttemp.$$$"), ec);
    prompts.showProgress(false);
}

void StoreUpload(Workspace& workspace, const fs::path& rawFile) {
    StoreUpload(rawFile, workspace.workDir, workspace.sites, workspace.checkpoints,
                workspace.prompts, workspace.messages);
}

} // namespace veltrona
