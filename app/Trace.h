#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

namespace veltrona {

// The two diagnostic trace channels. Files are written only while WorkDir/Rs232.txt exists, tested
// for every line; each line opens and closes its file so it survives a crash.
class Trace {
public:
    Trace(const Clock& clock, std::int64_t traceStamp) : clock_(clock), stamp_(traceStamp) {}

    void setWorkDir(const std::filesystem::path& workDir);
    // Receives every main trace line (the main window's trace box).
    void setSink(std::function<void(const std::string&)> sink);

    // The main trace (window thread): tick as upper-case hex of at least 6 digits, a space, text.
    void Main(const std::string& text);
    // The cycle trace (cycle thread): loopCount, " ,, ", text; a text equal to the last one
    // written is not written again.
    void TraceLine(const std::string& text, std::int64_t loopCount);

    std::int64_t traceStamp() const { return stamp_; }
    std::string lastTrace() const;

private:
    bool switchedOn();

    const Clock& clock_;
    std::int64_t stamp_;
    mutable std::mutex mutex_;
    std::filesystem::path workDir_;
    std::function<void(const std::string&)> sink_;
    std::string lastTrace_;
    // The switch file under another spelling of its name costs a directory scan to find; that
    // scan runs at most once a second so a switched-off trace stays cheap in the polling loop.
    std::filesystem::path switchOtherCase_;
    std::uint64_t lastScanTick_ = 0;
    bool scanned_ = false;
};

} // namespace veltrona
