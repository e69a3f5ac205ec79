#include "sites/SiteList.h"

#include "app/MessageTable.h"
#include "platform/FileError.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "sites/CheckpointList.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace veltrona {

SiteList ListSites(const fs::path& workDir) {
    SiteList sites;
    std::error_code ec;
    for (fs::directory_iterator it(workDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_directory(typeEc))
            continue;
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.')
            continue;
        sites.push_back(std::move(name));
    }
    std::sort(sites.begin(), sites.end(), [](const std::string& a, const std::string& b) {
        return textfile::lessNoCase(a, b);
    });
    return sites;
}

int SiteIndexOf(const SiteList& sites, std::string_view name) {
    for (std::size_t i = 0; i < sites.size(); ++i)
        if (sites[i] == name)
            return static_cast<int>(i);
    for (std::size_t i = 0; i < sites.size(); ++i)
        if (textfile::equalsNoCase(sites[i], name))
            return static_cast<int>(i);
    return -1;
}

bool IsCommonSite(std::string_view name) {
    return textfile::equalsNoCase(name, "common");
}

fs::path SiteDir(const fs::path& workDir, const std::string& site) {
    return textfile::resolveName(workDir, site);
}

void EnsureSiteFiles(const fs::path& workDir, const std::string& site) {
    const fs::path dir = SiteDir(workDir, site);
    const fs::path raw = textfile::resolveName(dir, "Raw");
    std::error_code ec;
    if (!fs::is_directory(raw, ec)) {
        fs::create_directory(raw, ec);
        if (ec)
            throw FileError(raw, "cannot create directory: " + ec.message());
    }
    const fs::path list = CheckpointListPath(workDir, site);
    if (!fs::exists(list, ec))
        textfile::replaceFileLines(list, SkeletonCheckpointList());
}

bool IsAcceptableSiteName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

std::optional<std::string> AskSiteName(Prompts& prompts, const MessageTable& messages) {
    auto answer = prompts.inputBox(messages.Message(2), messages.Message(3), "");
    if (!answer || answer->empty())
        return std::nullopt;
    return answer;
}

bool CreateSite(const fs::path& workDir, const std::string& name, SiteList& sites, Prompts& prompts,
                const MessageTable& messages) {
    bool created = false;
    if (IsAcceptableSiteName(name)) {
        std::error_code ec;
        // create_directory reports an existing directory as "not created" without an error.
        created = fs::create_directory(workDir / name, ec) && !ec;
    }
    if (!created) {
        prompts.showMessage(messages.Message(20) + " " + name);
        return false;
    }
    sites.push_back(name);
    // A missing Raw directory is made again by EnsureSiteFiles, so a failure here is not shown.
    std::error_code ignore;
    fs::create_directory(workDir / name / "Raw", ignore);
    return true;
}

} // namespace veltrona
