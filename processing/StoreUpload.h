#pragma once

#include "sites/SiteList.h"

#include <filesystem>

namespace veltrona {

class CheckpointTable;
class MessageTable;
class Prompts;
class Workspace;

// Files the records of `rawFile` into the day files of the sites they belong to (the "store"
// assignment), shows progress through `prompts` (status message 37), leaves empty.txt in the
// working directory and removes the scratch files and sorttemp.$$$. File errors throw FileError;
// the scratch files of a failed run stay until the program closes.
void StoreUpload(const std::filesystem::path& rawFile, const std::filesystem::path& workDir,
                 const SiteList& sites, const CheckpointTable& table, Prompts& prompts,
                 const MessageTable& messages);
// The same on the workspace's working directory, site list, checkpoint table and prompts.
void StoreUpload(Workspace& workspace, const std::filesystem::path& rawFile);

} // namespace veltrona
