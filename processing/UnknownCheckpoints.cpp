#include "processing/UnknownCheckpoints.h"

#include "app/MessageTable.h"
#include "platform/FileError.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "processing/SplitBySite.h"
#include "processing/Workspace.h"
#include "sites/CheckpointTable.h"
#include "sites/SiteList.h"

#include <fstream>

namespace veltrona {

namespace {

std::vector<std::string> readIfPresent(const std::filesystem::path& file) {
    if (!textfile::fileExists(file))
        return {};
    return textfile::readLines(file);
}

} // namespace

bool ShouldAskUnknownCheckpoints(const Workspace& ws) {
    if (ws.settings.discardUnknownCheckpoints)
        return false;
    return !readIfPresent(ScratchFilePath(ws.workDir, ws.siteCount())).empty();
}

bool PlaceUnknownCheckpoints(Workspace& ws, UnknownCheckpointsChoice choice,
                             const std::string& selectedSite) {
    switch (choice) {
    case UnknownCheckpointsChoice::ExistingSite: {
        if (selectedSite.empty()) {
            ws.prompts.showMessage(ws.messages.Message(32) + "\r" + ws.messages.Message(33) + "\r" +
                                   ws.messages.Message(34));
            return false;
        }
        const auto unknown = readIfPresent(ScratchFilePath(ws.workDir, ws.siteCount()));
        for (int i = 0; i < ws.siteCount(); ++i)
            if (ws.sites[static_cast<std::size_t>(i)] == selectedSite)
                textfile::appendLines(ScratchFilePath(ws.workDir, i), unknown);
        return true;
    }
    case UnknownCheckpointsChoice::NewSite: {
        const auto name = AskSiteName(ws.prompts, ws.messages);
        if (!name)
            return false;
        if (!CreateSite(ws.workDir, *name, ws.sites, ws.prompts, ws.messages))
            return false;
        // The new site is last, so its index is the old site count: the unknown scratch file
        // is its scratch file from now on.
        RebuildCheckpointTable(ws.workDir, ws.sites, ws.checkpoints, true);
        return true;
    }
    case UnknownCheckpointsChoice::Ignore:
        return true;
    }
    return true;
}

} // namespace veltrona
