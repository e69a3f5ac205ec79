// veltrona-cli store / process: what a finished download, or the processing of a raw file, does
// in the working directory.
#include "app/cli/CliCommand.h"
#include "app/cli/CliSession.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "processing/ProcessRawFile.h"
#include "processing/StoreUpload.h"
#include "processing/UnknownCheckpoints.h"
#include "processing/Workspace.h"

#include <algorithm>
#include <iostream>

namespace fs = std::filesystem;

namespace veltrona::cli {

namespace {

struct UnknownAnswer {
    UnknownCheckpointsChoice choice = UnknownCheckpointsChoice::Ignore;
    std::string name;
};

UnknownAnswer parseUnknown(const std::string& value) {
    if (value == "ignore")
        return {};
    if (value.rfind("existing:", 0) == 0 && value.size() > 9)
        return {UnknownCheckpointsChoice::ExistingSite, value.substr(9)};
    if (value.rfind("new:", 0) == 0 && value.size() > 4)
        return {UnknownCheckpointsChoice::NewSite, value.substr(4)};
    throw UsageError("--unknown takes ignore, existing:SITE or new:NAME, not " + value);
}

int run(const fs::path& workDir, std::vector<std::string> args, bool store) {
    CliSessionOptions options = takeSessionOptions(args);
    std::string unknownValue = "ignore";
    takeOption(args, "--unknown", unknownValue);
    const UnknownAnswer unknown = parseUnknown(unknownValue);
    if (args.size() != 1)
        throw UsageError(args.empty() ? "FILE is missing" : "unexpected argument " + args[1]);

    // A relative FILE names a file of the working directory, as every other name does.
    const fs::path file = fs::path(args[0]).is_absolute() ? fs::path(args[0]) : workDir / args[0];
    if (!textfile::fileExists(file))
        throw FileError(file, "no such file");

    CliSession session(workDir, options, std::cerr);
    Workspace& ws = session.workspace();

    // The baton shown in the reports and the action log is the one of the file's Id line.
    for (const auto& line : textfile::readLines(file)) {
        if (line.rfind("Id", 0) == 0) {
            ws.idLabelText = line;
            ws.batonIdentity = line.size() > 5 ? line.substr(5) : std::string();
            break;
        }
    }
    ws.versionCode.clear();
    if (unknown.choice == UnknownCheckpointsChoice::ExistingSite &&
        std::find(ws.sites.begin(), ws.sites.end(), unknown.name) == ws.sites.end())
        throw UsageError("--unknown existing: no site named " + unknown.name);

    ws.askUnknownCheckpoints = [&unknown, &session](Workspace& w) {
        if (unknown.choice == UnknownCheckpointsChoice::NewSite)
            session.prompts().inputAnswers.push_front(unknown.name);
        // An answer the dialog would not accept leaves it to be closed, which ignores them.
        PlaceUnknownCheckpoints(w, unknown.choice, unknown.name);
    };

    if (store)
        StoreUpload(ws, file);
    ProcessRawFile(ws, file);
    return 0;
}

int storeCommand(const fs::path& workDir, const std::vector<std::string>& args) {
    return run(workDir, args, true);
}

int processCommand(const fs::path& workDir, const std::vector<std::string>& args) {
    return run(workDir, args, false);
}

const CliRegistration storeRegistration{
    {"store", "store FILE [--unknown ignore|existing:SITE|new:NAME] [--open]", storeCommand}};
const CliRegistration processRegistration{
    {"process", "process FILE [--unknown ignore|existing:SITE|new:NAME] [--open]", processCommand}};

} // namespace

} // namespace veltrona::cli
