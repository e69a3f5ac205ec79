// Costs of the application core's per-line file work: a trace line with the switch file absent
// (the usual case, tested on every line of the cycle's polling loop) and present, an action-log
// append, a language file load and a baton-name look-up in a large names file.
#include "app/ActionLog.h"
#include "app/BatonNames.h"
#include "app/CaptionStore.h"
#include "app/LanguageFile.h"
#include "app/MessageTable.h"
#include "app/Trace.h"
#include "platform/TextFile.h"
#include "platform/virtual/RecordingPrompts.h"
#include "platform/virtual/VirtualClock.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

template <class F> double microsPerCall(int calls, F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        f(i);
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(t1 - t0).count() / calls;
}

} // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() / ("veltrona_appcore_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    // A working directory of a real size: 50 sites and a year of logs and reports beside them.
    for (int i = 0; i < 200; ++i)
        textfile::appendLine(dir / ("file" + std::to_string(i) + ".txt"), "x");

    VirtualClock clock;
    Trace trace(clock, 1);
    trace.setWorkDir(dir);

    const double off = microsPerCall(20000, [&](int i) { trace.TraceLine(i % 2 ? "2" : "3", i); });
    textfile::appendLine(dir / "Rs232.txt", "");
    const double on = microsPerCall(5000, [&](int i) { trace.TraceLine(i % 2 ? "2" : "3", i); });
    fs::remove(dir / "Rs232.txt");
    std::printf("trace line, switch off:      %8.2f us\n", off);
    std::printf("trace line, switch on:       %8.2f us\n", on);

    const double log = microsPerCall(5000, [&](int i) {
        AppendActionLog(dir, clock, "Site A", "New Id Button Added (" + std::to_string(i) + ")");
    });
    std::printf("action log append:           %8.2f us\n", log);

    std::vector<std::string> lng;
    for (int n = 1; n <= LanguageFileLineCount; ++n)
        lng.push_back("Line " + std::to_string(n) + " of a language file of ordinary length");
    textfile::replaceFileLines(dir / "Bench.lng", lng);
    RecordingPrompts prompts;
    MessageTable messages;
    CaptionStore captions;
    const double load = microsPerCall(
        500, [&](int) { LoadLanguageFile(dir / "Bench.lng", messages, captions, prompts, trace); });
    std::printf("language file load:          %8.2f us\n", load);

    std::vector<std::string> names = {"//Baton names for their serial number", "", ""};
    for (int i = 0; i < 2000; ++i) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "BRIN%04d", i);
        names.push_back(std::string(serial) + "=Guard " + std::to_string(i));
    }
    textfile::replaceFileLines(dir / "batname.cfg", names);
    BatonNames batons(dir);
    batons.LoadBatonNames();
    const double lookUp =
        microsPerCall(500, [&](int) { (void)batons.LookUpBatonName("BRIN1999"); });
    std::printf("baton look-up, 2000 entries: %8.2f us\n", lookUp);

    fs::remove_all(dir);
    return 0;
}
