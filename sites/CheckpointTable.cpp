#include "sites/CheckpointTable.h"

#include "platform/TextFile.h"
#include "sites/CheckpointList.h"

namespace fs = std::filesystem;

namespace veltrona {

namespace {
const std::vector<std::string> noIds;
const std::vector<CheckpointTable::Slot> noSlots;
} // namespace

const std::vector<std::string>& CheckpointTable::row(int site) const {
    if (site < 0 || site >= rowCount())
        return noIds;
    return rows_[static_cast<std::size_t>(site)];
}

std::string CheckpointTable::slot(int site, int position) const {
    const auto& ids = row(site);
    if (position < 0)
        return {};
    const auto p = static_cast<std::size_t>(position);
    if (p < ids.size())
        return ids[p];
    if (p == ids.size())
        return std::string(Terminator);
    return {};
}

void CheckpointTable::setRow(int site, std::vector<std::string> ids) {
    if (site < 0)
        return;
    const auto s = static_cast<std::size_t>(site);
    if (s >= rows_.size())
        rows_.resize(s + 1);
    rows_[s] = std::move(ids);
    indexStale_ = true;
}

void CheckpointTable::clear() {
    rows_.clear();
    index_.clear();
    indexStale_ = false;
}

const std::vector<CheckpointTable::Slot>& CheckpointTable::find(std::string_view id) const {
    if (indexStale_)
        reindex();
    const auto it = index_.find(std::string(id));
    return it == index_.end() ? noSlots : it->second;
}

// Rebuilt whole on the first look-up after rows changed (a rebuild sets every row in turn), and
// building in row order keeps every Id's slots in the order a scan would meet them.
void CheckpointTable::reindex() const {
    index_.clear();
    for (std::size_t s = 0; s < rows_.size(); ++s) {
        const auto& ids = rows_[s];
        for (std::size_t p = 0; p < ids.size(); ++p)
            index_[ids[p]].push_back(Slot{static_cast<int>(s), static_cast<int>(p)});
    }
    indexStale_ = false;
}

void RebuildCheckpointTable(const fs::path& workDir, const SiteList& sites, CheckpointTable& table,
                            bool ensure) {
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const std::string& site = sites[i];
        if (ensure)
            EnsureSiteFiles(workDir, site);
        const fs::path file = CheckpointListPath(workDir, site);
        if (!textfile::fileExists(file))
            continue;
        const std::vector<std::string> lines = textfile::readLines(file);
        std::vector<std::string> ids;
        // This reader takes lines longer than 5 characters, so a checkpoint with an empty name
        // still counts here.
        for (std::size_t l = 2; l < lines.size() && lines[l].size() > 5; ++l)
            ids.push_back(lines[l].substr(0, 6));
        table.setRow(static_cast<int>(i), std::move(ids));
    }
}

} // namespace veltrona
