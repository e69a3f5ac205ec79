#pragma once

#include "sites/SiteList.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace veltrona {

// The in-memory table that decides which sites a clocking belongs to: one row per site index
// holding that site's checkpoint Ids in file order, read as ended by the terminator "zzzzzz".
//
// The classic layout has 256 rows of 255 Ids plus the terminator. This table grows instead of
// refusing: a 257th site or a 256th checkpoint gets its row or slot like the others, so no
// clocking is lost because a list is long. Up to 256 sites of 255 Ids it reads exactly as the
// fixed table does.
//
// Beside the rows it keeps an index from Id to every (site index, position) holding it, so that
// assigning a record is one hash look-up instead of a scan of every row.
class CheckpointTable {
public:
    static constexpr int ClassicRows = 256;
    static constexpr int ClassicIdsPerRow = 255;
    static constexpr std::string_view Terminator = "zzzzzz";

    struct Slot {
        int site;
        int position;
        friend bool operator==(const Slot&, const Slot&) = default;
    };

    // Number of rows ever set (the highest site index set + 1).
    int rowCount() const { return static_cast<int>(rows_.size()); }
    // The Ids of row `site` before its terminator; empty for a row never set.
    const std::vector<std::string>& row(int site) const;
    // Slot `position` of row `site`: an Id, the terminator right after the last Id, and empty
    // text beyond it.
    std::string slot(int site, int position) const;

    // Replaces row `site` (growing the table when needed).
    void setRow(int site, std::vector<std::string> ids);
    void clear();

    // Every (site, position) whose Id equals `id` (compared as text), ordered by site index then
    // position: the order a scan of the rows would meet them.
    const std::vector<Slot>& find(std::string_view id) const;

private:
    void reindex() const;

    std::vector<std::vector<std::string>> rows_;
    // Built on demand; the table is used on the window thread only.
    mutable std::unordered_map<std::string, std::vector<Slot>> index_;
    mutable bool indexStale_ = false;
};

// Loads every site's Ids into its row of `table`, in list order. With `ensure`, EnsureSiteFiles
// runs for each site first; without it, a site with no checkpt.lst keeps its old row. A line of
// the checkpoint section qualifies when it is longer than 5 characters; its first 6 characters
// are the Id.
void RebuildCheckpointTable(const std::filesystem::path& workDir, const SiteList& sites,
                            CheckpointTable& table, bool ensure);

} // namespace veltrona
