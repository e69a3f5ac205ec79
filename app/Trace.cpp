#include "app/Trace.h"

#include "platform/TextFile.h"

#include <cstdio>
#include <exception>

namespace veltrona {

namespace {

std::string hexTick(std::uint64_t tick) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%06llX", static_cast<unsigned long long>(tick));
    return buf;
}

// A failing trace file must never stop the operation being traced: it is only diagnostics.
void appendQuietly(const std::filesystem::path& file, const std::string& line) {
    try {
        textfile::appendLine(file, line);
    } catch (const std::exception&) {
    }
}

} // namespace

void Trace::setWorkDir(const std::filesystem::path& workDir) {
    std::lock_guard lock(mutex_);
    workDir_ = workDir;
    switchOtherCase_.clear();
    scanned_ = false;
}

void Trace::setSink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

// Before the working directory is known, the files are looked for in the root directory.
static std::filesystem::path traceDir(const std::filesystem::path& workDir) {
    return workDir.empty() ? std::filesystem::path("/") : workDir;
}

bool Trace::switchedOn() {
    const auto dir = traceDir(workDir_);
    if (textfile::fileExists(dir / "Rs232.txt"))
        return true;
    if (!switchOtherCase_.empty()) {
        if (textfile::fileExists(switchOtherCase_))
            return true;
        switchOtherCase_.clear();
    }
    const std::uint64_t tick = clock_.tickMs();
    if (scanned_ && tick - lastScanTick_ < 1000)
        return false;
    scanned_ = true;
    lastScanTick_ = tick;
    const auto found = textfile::resolveName(dir, "Rs232.txt");
    if (!textfile::fileExists(found))
        return false;
    switchOtherCase_ = found;
    return true;
}

void Trace::Main(const std::string& text) {
    const std::string line = hexTick(clock_.tickMs()) + " " + text;
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard lock(mutex_);
        if (switchedOn())
            appendQuietly(
                textfile::resolveName(traceDir(workDir_), "RsM" + std::to_string(stamp_) + ".txt"),
                line);
        sink = sink_;
    }
    // Outside the lock: the sink may hand the line to another thread and wait for it.
    if (sink)
        sink(line);
}

void Trace::TraceLine(const std::string& text, std::int64_t loopCount) {
    std::lock_guard lock(mutex_);
    if (!switchedOn() || text == lastTrace_)
        return;
    appendQuietly(textfile::resolveName(traceDir(workDir_), "Rs" + std::to_string(stamp_) + ".txt"),
                  std::to_string(loopCount) + " ,, " + text);
    lastTrace_ = text;
}

std::string Trace::lastTrace() const {
    std::lock_guard lock(mutex_);
    return lastTrace_;
}

} // namespace veltrona
