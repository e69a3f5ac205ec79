#include "processing/ProcessSplit.h"

#include "platform/Chars.h"

#include "processing/ClockingRecord.h"

#include <cstdint>
#include <optional>

namespace veltrona {

namespace {

std::optional<int> decimal(std::string_view s) {
    if (s.empty())
        return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

// Characters 13-22 as one number. Character 19 may carry the hour flag bits (a hex digit
// C for a flagged 09 hour); it counts without them so a flagged clocking compares by its time.
std::optional<std::int64_t> dateTimeNumber(const std::string& line) {
    if (line.size() < 22)
        return std::nullopt;
    std::int64_t v = 0;
    for (std::size_t i = 12; i < 22; ++i) {
        int d = line[i] >= '0' && line[i] <= '9' ? line[i] - '0' : -1;
        if (i == 18) {
            const int h = hexDigit(line[i]);
            d = h < 0 ? -1 : (h & 0x3);
        }
        if (d < 0)
            return std::nullopt;
        v = v * 10 + d;
    }
    return v;
}

class ProcessObserver : public SplitObserver {
public:
    ProcessObserver(ProcessSplitResult& result, bool removeDuplicates,
                    const std::function<void()>& lineRead)
        : result_(result), removeDuplicates_(removeDuplicates), lineRead_(lineRead) {}

    void onLineRead(const std::string&) override {
        if (lineRead_)
            lineRead_();
    }
    void onIdLine(const std::string& line) override { result_.id = IdLineValues::FromLine(line); }
    bool acceptMatch(int, const std::string& line) override {
        const bool duplicate = IsDuplicateOf(line, previous_);
        if (IsReversalOf(line, previous_))
            ++result_.counts.reversals;
        ++result_.counts.records;
        if (duplicate && removeDuplicates_)
            return false;
        previous_ = line;
        return true;
    }
    void onCorruptMatch(int site, const std::string&) override { count(site); }
    void onUnmatched(const std::string&, bool corrupt) override {
        if (corrupt)
            count(static_cast<int>(result_.counts.corrupt.size()) - 1);
    }

private:
    void count(int site) {
        if (site >= 0 && site < static_cast<int>(result_.counts.corrupt.size()))
            ++result_.counts.corrupt[static_cast<std::size_t>(site)];
    }

    ProcessSplitResult& result_;
    bool removeDuplicates_;
    const std::function<void()>& lineRead_;
    std::string previous_ = InitialPreviousRecord;
};

} // namespace

IdLineValues IdLineValues::FromLine(const std::string& idLine) {
    IdLineValues v;
    v.identity = idLine.size() > 5 ? idLine.substr(5) : std::string();
    v.combined = v.identity.size() > 16;
    v.sorted = idLine.size() > 2 && idLine[2] == 's';
    v.noSeparators = idLine.size() > 2 && idLine[2] == 'o';
    return v;
}

bool IsDuplicateOf(const std::string& line, const std::string& previous) {
    if (line.size() < 22 || previous.size() < 22)
        return false;
    if (line.compare(6, 14, previous, 6, 14) != 0)
        return false;
    const auto minute = decimal(std::string_view(line).substr(20, 2));
    const auto previousMinute = decimal(std::string_view(previous).substr(20, 2));
    if (!minute || !previousMinute)
        return false;
    return *minute == *previousMinute || *minute == *previousMinute + 1;
}

bool IsReversalOf(const std::string& line, const std::string& previous) {
    if (line.size() <= 22 || previous.size() <= 22)
        return false;
    const auto a = dateTimeNumber(line);
    const auto b = dateTimeNumber(previous);
    return a && b && *a < *b;
}

ProcessSplitResult SplitForProcessing(const std::filesystem::path& rawFile,
                                      const SplitContext& context, bool removeDuplicates,
                                      const std::function<void()>& lineRead) {
    ProcessSplitResult result;
    result.counts.corrupt.assign(context.sites.size() + 1, 0);
    SplitOptions options = SplitOptions::Process();
    // Lines shorter than a record are passed over anyway; a complete last record (a download
    // whose "Done" never came) is reported rather than lost.
    options.lastLineNeverRecord = false;
    ProcessObserver observer(result, removeDuplicates, lineRead);
    auto split = SplitBySite(rawFile, context, options, &observer);
    result.split = std::move(split);
    return result;
}

} // namespace veltrona
