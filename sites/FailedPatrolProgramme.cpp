#include "sites/FailedPatrolProgramme.h"

#include "platform/Chars.h"

#include "platform/TextFile.h"
#include "sites/CheckpointList.h"

#include <algorithm>
#include <stdexcept>

namespace veltrona {

void FailedPatrolStore::SetPending(FailedPatrolProgramme programme) {
    std::lock_guard lock(mutex_);
    programme_ = std::move(programme);
    pending_ = true;
    ++generation_;
}

void FailedPatrolStore::Clear() {
    std::lock_guard lock(mutex_);
    pending_ = false;
    programme_ = {};
    ++generation_;
}

bool FailedPatrolStore::Pending() const {
    std::lock_guard lock(mutex_);
    return pending_;
}

std::optional<FailedPatrolStore::Snapshot> FailedPatrolStore::Take() const {
    std::lock_guard lock(mutex_);
    if (!pending_)
        return std::nullopt;
    return Snapshot{programme_, generation_};
}

void FailedPatrolStore::MarkDone(std::uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (pending_ && generation == generation_)
        pending_ = false;
}

namespace {

std::uint8_t bcd(int v) {
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

} // namespace

std::array<std::uint8_t, 4> FailedPatrolDateBytes(const DateTime& at) {
    return {bcd(at.month), static_cast<std::uint8_t>(bcd(at.day) + (at.year % 4) * 64),
            bcd(at.hour), bcd(at.minute)};
}

std::array<std::uint8_t, 3> FailedPatrolIdBytes(const std::string& id) {
    if (id.size() < 6)
        throw std::invalid_argument("checkpoint Id \"" + id + "\" is not six hex digits");
    std::array<std::uint8_t, 3> out{};
    for (std::size_t i = 0; i < 3; ++i) {
        const int hi = hexDigit(id[2 * i]);
        const int lo = hexDigit(id[2 * i + 1]);
        if (hi < 0 || lo < 0)
            throw std::invalid_argument("checkpoint Id \"" + id + "\" is not six hex digits");
        out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return out;
}

FailedPatrolResult BuildFailedPatrolProgramme(const std::filesystem::path& workDir,
                                              const std::string& site, FailedPatrolType type,
                                              int roundTime, int p2, int p3, const DateTime& now,
                                              const std::string& message42,
                                              FailedPatrolStore& store) {
    (void)type; // the caller has turned the type's fields into the repeat counts p2 and p3
    FailedPatrolResult result;
    if (!textfile::fileExists(CheckpointListPath(workDir, site))) {
        result.status = FailedPatrolResult::Status::NoCheckpointList;
        result.message = message42 + " \"" + site + "\"";
        return result;
    }
    const std::array<std::uint8_t, 4> when = FailedPatrolDateBytes(addDays(now, 30));
    const std::int64_t repeats[3] = {roundTime / 15, p2, p3};

    // Counted first: a large repeat count must not build a huge list only to refuse it.
    const std::vector<Checkpoint> checkpoints = ReadCheckpoints(workDir, site);
    std::int64_t total = 0;
    for (std::size_t k = 0; k < checkpoints.size(); ++k) {
        if (total >= 160)
            break;
        total += k < 3 ? std::max<std::int64_t>(repeats[k], 0) : 1;
    }
    result.storeLen = total;
    if (total > static_cast<std::int64_t>(MaxFailedPatrolEntries)) {
        result.status = FailedPatrolResult::Status::TooManyEntries;
        result.message = "The failed patrol programme would have " + std::to_string(total) +
                         " entries, but a baton holds at most " +
                         std::to_string(MaxFailedPatrolEntries) +
                         ". Choose a shorter round time or fewer checkpoints.";
        return result;
    }

    FailedPatrolProgramme programme;
    for (std::size_t k = 0; k < checkpoints.size(); ++k) {
        const std::array<std::uint8_t, 3> id = FailedPatrolIdBytes(checkpoints[k].id);
        if (programme.StoreLen() >= 160)
            continue;
        const FailedPatrolEntry entry{id[0], id[1], id[2], when[0], when[1], when[2], when[3]};
        const std::int64_t times = k < 3 ? repeats[k] : 1;
        for (std::int64_t i = 0; i < times; ++i)
            programme.entries.push_back(entry);
    }
    store.SetPending(std::move(programme));
    return result;
}

} // namespace veltrona
