#pragma once

#include "platform/DateTime.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace veltrona {

// One programme entry: Id bytes 1-3, then month, day + (year mod 4) * 64, hour, minute in BCD.
using FailedPatrolEntry = std::array<std::uint8_t, 7>;

struct FailedPatrolProgramme {
    std::vector<FailedPatrolEntry> entries; // StoreLen = entries.size()
    std::int64_t StoreLen() const { return static_cast<std::int64_t>(entries.size()); }
};

// A baton's chip 0 holds this many programme entries after its header block.
constexpr std::size_t MaxFailedPatrolEntries = 110;

enum class FailedPatrolType { Single, Multiple };

// The programme waiting for the next baton, shared by the window thread (which prepares it) and
// the upload cycle (which writes it). Each preparation gets a new generation number so the cycle
// marks done only the programme it actually wrote.
class FailedPatrolStore {
public:
    struct Snapshot {
        FailedPatrolProgramme programme;
        std::uint64_t generation = 0;
    };

    // Replaces any waiting programme and marks it pending.
    void SetPending(FailedPatrolProgramme programme);
    // Withdraws a waiting programme.
    void Clear();
    bool Pending() const;
    // A copy of the waiting programme, nullopt when none is pending.
    std::optional<Snapshot> Take() const;
    // Clears the pending mark when `generation` is still the waiting programme's.
    void MarkDone(std::uint64_t generation);

private:
    mutable std::mutex mutex_;
    bool pending_ = false;
    std::uint64_t generation_ = 0;
    FailedPatrolProgramme programme_;
};

// Entry bytes 4-7 for the moment `at` (the caller passes the preparation time + 30 days).
std::array<std::uint8_t, 4> FailedPatrolDateBytes(const DateTime& at);
// Entry bytes 1-3 of a six-hex-digit Id; throws std::invalid_argument for anything else.
std::array<std::uint8_t, 3> FailedPatrolIdBytes(const std::string& id);

struct FailedPatrolResult {
    enum class Status {
        Prepared,         // the programme is pending
        NoCheckpointList, // the site has no checkpt.lst: message 42 + " \"site\""; nothing changed
        TooManyEntries    // more entries than a baton holds; nothing changed
    };
    Status status = Status::Prepared;
    std::int64_t storeLen = 0; // entries of the programme that was built
    std::string message;       // the text to show when not Prepared
};

// Builds the programme of `site` from its checkpoint list: the first checkpoint repeated
// roundTime / 15 times, the second `p2` times, the third `p3` times, every further one once; all
// entries dated `now` + 30 days. The programme is built aside and made pending in `store` only
// when complete: a missing list, a programme of more than MaxFailedPatrolEntries entries, or an
// Id that is not six hex digits (std::invalid_argument) leaves the store as it was.
// `messages42` is message 42 ("There are no checkpoints in the site").
FailedPatrolResult BuildFailedPatrolProgramme(const std::filesystem::path& workDir,
                                              const std::string& site, FailedPatrolType type,
                                              int roundTime, int p2, int p3, const DateTime& now,
                                              const std::string& message42,
                                              FailedPatrolStore& store);

} // namespace veltrona
