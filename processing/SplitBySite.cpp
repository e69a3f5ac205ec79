#include "processing/SplitBySite.h"

#include "baton/RawUploadFile.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "processing/ClockingRecord.h"
#include "sites/CheckpointTable.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace veltrona {

SplitOptions SplitOptions::Store() {
    return SplitOptions{};
}

SplitOptions SplitOptions::Process() {
    SplitOptions o;
    o.unitMarkerMinLength = record::ProcessMarkerLength;
    o.skipGapLines = true;
    o.lastLineNeverRecord = true;
    o.keepUnknown = true;
    return o;
}

fs::path ScratchFilePath(const fs::path& workDir, int index) {
    return workDir / (std::to_string(index) + ".$$$");
}

void DeleteScratchFiles(const fs::path& workDir, int siteCount) {
    for (int i = 0; i <= siteCount; ++i) {
        std::error_code ec;
        fs::remove(ScratchFilePath(workDir, i), ec);
    }
}

SplitResult SplitBySite(const fs::path& rawFile, const SplitContext& context,
                        const SplitOptions& options, SplitObserver* observer) {
    SplitObserver none;
    SplitObserver& obs = observer ? *observer : none;
    const int siteCount = static_cast<int>(context.sites.size());

    SplitResult result;
    result.lines.resize(static_cast<std::size_t>(siteCount) + 1);
    // Every scratch file exists (empty) from the start, as later steps and the unknown
    // checkpoints dialog expect.
    for (int i = 0; i <= siteCount; ++i)
        textfile::writeFileLines(ScratchFilePath(context.workDir, i), {});

    std::vector<bool> common(static_cast<std::size_t>(siteCount));
    for (int i = 0; i < siteCount; ++i)
        common[static_cast<std::size_t>(i)] =
            IsCommonSite(context.sites[static_cast<std::size_t>(i)]);

    const std::vector<std::string> lines = textfile::readLines(rawFile);
    const std::size_t n = lines.size();
    int lastSite = -1;
    bool commonPending = false;

    // The scratch files are kept in memory while the file is read and written once at the end:
    // the same content as appending each record, without reopening a file per record.
    auto scratch = [&](int s) -> std::vector<std::string>& {
        return result.lines[static_cast<std::size_t>(s)];
    };

    std::size_t i = 0;
    const auto fetch = [&](std::size_t at) -> const std::string& {
        ++result.linesRead;
        obs.onLineRead(lines[at]);
        return lines[at];
    };

    while (i < n) {
        if (options.skipGapLines && record::IsGapLine(lines[i])) {
            ++i;
            continue;
        }
        const std::string* line = &fetch(i);
        if (record::IsIdLine(*line)) {
            result.identity = line->size() > 5 ? line->substr(5) : std::string();
            obs.onIdLine(*line);
            if (i + 1 >= n)
                break; // an Id line alone is no record
            ++i;
            line = &fetch(i);
        }
        if (record::IsDoneLine(*line)) {
            ++i;
            continue;
        }
        if (options.lastLineNeverRecord && i + 1 == n)
            break;

        const std::string* marker = nullptr;
        if (record::IsUnitMarker(*line, options.unitMarkerMinLength)) {
            marker = line;
            if (i + 1 >= n)
                break; // a marker with no record after it is dropped
            ++i;
            line = &fetch(i);
            if (options.lastLineNeverRecord && i + 1 == n)
                break;
        }
        ++i;

        // Lines too short to hold a date and time are no records: nothing matches them.
        if (line->size() < record::RecordLength)
            continue;

        const bool corrupt = record::IsCorrupt(*line);
        bool matched = false;
        for (const auto& slot : context.table.find(record::IdOf(*line))) {
            const int s = slot.site;
            if (s >= siteCount)
                break; // rows of sites no longer listed
            matched = true;
            if (corrupt) {
                obs.onCorruptMatch(s, *line);
                continue;
            }
            if (!obs.acceptMatch(s, *line))
                continue;
            int target = s;
            if (!common[static_cast<std::size_t>(s)]) {
                if (commonPending) {
                    // Common clockings seen before any site's clocking belong to this site, ahead
                    // of it.
                    auto& held = scratch(lastSite);
                    auto& own = scratch(s);
                    own.insert(own.end(), held.begin(), held.end());
                    held.clear();
                    commonPending = false;
                }
                lastSite = s;
            } else if (lastSite == -1) {
                lastSite = s;
                commonPending = true;
            } else {
                target = lastSite;
            }
            if (marker)
                scratch(target).push_back(*marker);
            scratch(target).push_back(*line);
        }
        if (!matched) {
            obs.onUnmatched(*line, corrupt);
            if (options.keepUnknown && !corrupt) {
                if (marker)
                    scratch(siteCount).push_back(*marker);
                scratch(siteCount).push_back(*line);
            }
        }
    }

    for (int s = 0; s <= siteCount; ++s)
        if (!scratch(s).empty())
            textfile::writeFileLines(ScratchFilePath(context.workDir, s), scratch(s));

    if (n == 0 || !record::IsDoneLine(lines.back()))
        RawUploadFile(rawFile).appendDone();
    return result;
}

} // namespace veltrona
