#pragma once

#include "sites/SiteList.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace veltrona {

class CheckpointTable;

// What the assignment step is given: the working directory (where the scratch files go), the
// master site list and the checkpoint table built from it.
struct SplitContext {
    const std::filesystem::path& workDir;
    const SiteList& sites;
    const CheckpointTable& table;
};

// Hooks through which processing adds its counting and duplicate rules to the shared
// assignment. Every default does nothing and accepts everything.
class SplitObserver {
public:
    virtual ~SplitObserver() = default;
    // Every line the main loop reads (Id lines, "Done" and the record after a marker included;
    // gap lines skipped by the options are not reported).
    virtual void onLineRead(const std::string& /*line*/) {}
    // An Id line (the latest one gives the identity).
    virtual void onIdLine(const std::string& /*line*/) {}
    // A record that matched site `site` and is not corrupt, before it is written; false drops it
    // for this site (the common-site bookkeeping is then untouched).
    virtual bool acceptMatch(int /*site*/, const std::string& /*line*/) { return true; }
    // A corrupt record that matched site `site` (dropped for it).
    virtual void onCorruptMatch(int /*site*/, const std::string& /*line*/) {}
    // A record that matched no site.
    virtual void onUnmatched(const std::string& /*line*/, bool /*corrupt*/) {}
};

// The rules that differ between storing and processing.
struct SplitOptions {
    std::size_t unitMarkerMinLength = 23;
    // Gap lines ("MissingLine" ...) are skipped before anything else looks at them.
    bool skipGapLines = false;
    // The file's last line is never handled as a record or unit marker.
    bool lastLineNeverRecord = false;
    // Records that match no site, and are not corrupt, go with their unit marker to the unknown
    // scratch file.
    bool keepUnknown = false;

    static SplitOptions Store();
    static SplitOptions Process();
};

// The scratch files as the split leaves them, also kept in memory: lines[s] for site index s,
// lines[siteCount] the unknown scratch file.
struct SplitResult {
    std::vector<std::vector<std::string>> lines;
    std::string identity; // characters 6 on of the latest Id line
    std::size_t linesRead = 0;
};

// Scratch file of site index `index` (index = site count: the unknown scratch file).
std::filesystem::path ScratchFilePath(const std::filesystem::path& workDir, int index);
// Deletes the scratch files of indexes 0 to `siteCount` (missing ones are fine).
void DeleteScratchFiles(const std::filesystem::path& workDir, int siteCount);

// Assigns the records of `rawFile` to the sites whose table rows list their Id, in site-list
// order, writes the scratch files (each created afresh) and appends "Done" to `rawFile` when
// its last line is not "Done".
//
// Clockings at a common site's checkpoints go to the site of the latest non-common clocking;
// those before any such clocking wait in the common site's scratch file and move, in order, to
// the first non-common site that follows. A unit marker travels with the record after it and is
// dropped when it is the last line. Corrupt records are dropped. Lines shorter than 22
// characters are no records and are passed over at once.
SplitResult SplitBySite(const std::filesystem::path& rawFile, const SplitContext& context,
                        const SplitOptions& options, SplitObserver* observer = nullptr);

} // namespace veltrona
