#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

class MessageTable;
class Prompts;

// The master site list: the site directories directly below the working directory, sorted by
// name without regard to case (ties by bytes), sites created during the run appended. A site's
// position is its site index.
using SiteList = std::vector<std::string>;

// Lists the immediate subdirectories of `workDir`. Names starting with "." are hidden and left
// out. Two directories whose names differ only in case are two sites.
SiteList ListSites(const std::filesystem::path& workDir);

// Index of `name` in `sites`: the exact spelling first, else the first entry equal to it with
// A-Z folded; -1 when none.
int SiteIndexOf(const SiteList& sites, std::string_view name);

// A site whose name is "common" without regard to case: its checkpoints are shared by all sites.
bool IsCommonSite(std::string_view name);

// The site's directory (the on-disk spelling when one differs only in case).
std::filesystem::path SiteDir(const std::filesystem::path& workDir, const std::string& site);

// Creates the site's Raw directory and the four-line skeleton checkpt.lst when they are missing.
void EnsureSiteFiles(const std::filesystem::path& workDir, const std::string& site);

// True when `name` can only name a new directory directly below the working directory: not
// empty, not "." or "..", and without "/", "\" or control characters.
bool IsAcceptableSiteName(std::string_view name);

// The name prompt: an input box captioned message 2 with prompt message 3 and no default.
// nullopt when cancelled or answered with an empty name.
std::optional<std::string> AskSiteName(Prompts& prompts, const MessageTable& messages);

// Creates the site directory `name` in `workDir` (one level, name as typed), appends it to
// `sites` and creates its Raw directory. When the name is refused or the directory cannot be
// created (it exists already, the file system refuses it), shows message 20 + " " + name and
// returns false with nothing changed. The caller appends the name to its dialogs' site lists.
bool CreateSite(const std::filesystem::path& workDir, const std::string& name, SiteList& sites,
                Prompts& prompts, const MessageTable& messages);

} // namespace veltrona
