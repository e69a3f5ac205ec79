#include "app/Trace.h"

#include "platform/TextFile.h"
#include "platform/virtual/VirtualClock.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <thread>

namespace veltrona {
namespace {

class TraceTest : public ::testing::Test {
protected:
    TraceTest() {
        trace.setWorkDir(dir.path());
        trace.setSink([this](const std::string& l) { box.push_back(l); });
    }
    void switchOn() { dir.writeBytes("Rs232.txt", ""); }
    void switchOff() { std::filesystem::remove(dir / "Rs232.txt"); }
    std::vector<std::string> mainFile() const { return dir.readLines("RsM42.txt"); }
    std::vector<std::string> cycleFile() const { return dir.readLines("Rs42.txt"); }

    test::TempWorkDir dir;
    VirtualClock clock{DateTime{2011, 8, 9, 10, 0, 0, 0}, 0xABC};
    Trace trace{clock, 42};
    std::vector<std::string> box;
};

TEST_F(TraceTest, WithoutSwitchNoFileButTheBoxStillFills) {
    trace.Main("form activated");
    trace.TraceLine("Sent first 01", 1);
    EXPECT_FALSE(textfile::fileExists(dir / "RsM42.txt"));
    EXPECT_FALSE(textfile::fileExists(dir / "Rs42.txt"));
    EXPECT_EQ(box, std::vector<std::string>{"000ABC form activated"});
    EXPECT_EQ(trace.lastTrace(), "");
}

TEST_F(TraceTest, SwitchIsTestedOnEveryLine) {
    trace.Main("before");
    switchOn();
    trace.Main("during");
    clock.advance(0x1000000); // the tick grows past six hex digits
    trace.Main("long tick");
    trace.TraceLine("a", 7);
    switchOff();
    trace.Main("after");
    trace.TraceLine("b", 8);

    EXPECT_EQ(mainFile(), (std::vector<std::string>{"000ABC during", "1000ABC long tick"}));
    EXPECT_EQ(cycleFile(), std::vector<std::string>{"7 ,, a"});
    EXPECT_EQ(box.size(), 4u);
    EXPECT_EQ(dir.readBytes("Rs42.txt"), "7 ,, a\r\n");
}

TEST_F(TraceTest, SwitchFileNameIgnoresCase) {
    trace.Main("off");
    dir.writeBytes("RS232.TXT", "");
    clock.advance(1000); // another spelling is looked for at most once a second
    trace.Main("on");
    std::filesystem::remove(dir / "RS232.TXT");
    trace.Main("off again");
    EXPECT_EQ(mainFile(), std::vector<std::string>{"000EA4 on"});
}

TEST_F(TraceTest, RepeatedCycleTextIsWrittenOnce) {
    switchOn();
    for (int pass = 1; pass <= 5; ++pass)
        trace.TraceLine("2", pass);
    trace.TraceLine("3", 6);
    trace.TraceLine("2", 7);
    trace.TraceLine("2", 8);
    EXPECT_EQ(cycleFile(), (std::vector<std::string>{"1 ,, 2", "6 ,, 3", "7 ,, 2"}));
    EXPECT_EQ(trace.lastTrace(), "2");
}

TEST_F(TraceTest, TextTracedWhileSwitchedOffIsNotRemembered) {
    switchOn();
    trace.TraceLine("x", 1);
    switchOff();
    trace.TraceLine("y", 2); // not written, so not the last trace either
    switchOn();
    trace.TraceLine("x", 3);
    trace.TraceLine("y", 4);
    EXPECT_EQ(cycleFile(), (std::vector<std::string>{"1 ,, x", "4 ,, y"}));
}

TEST_F(TraceTest, AppendsToExistingFilesAndSurvivesAnUnwritableOne) {
    switchOn();
    dir.writeLines("RsM42.txt", {"old"});
    trace.Main("new");
    EXPECT_EQ(mainFile(), (std::vector<std::string>{"old", "000ABC new"}));
    // A trace file that cannot be written must not stop the traced operation.
    std::filesystem::create_directory(dir / "Rs42.txt");
    EXPECT_NO_THROW(trace.TraceLine("z", 1));
}

TEST_F(TraceTest, BothThreadsTraceWithoutLosingLines) {
    switchOn();
    std::thread cycle([this] {
        for (int i = 0; i < 200; ++i)
            trace.TraceLine("cycle " + std::to_string(i), i);
    });
    for (int i = 0; i < 200; ++i)
        trace.Main("main " + std::to_string(i));
    cycle.join();
    EXPECT_EQ(mainFile().size(), 200u);
    EXPECT_EQ(cycleFile().size(), 200u);
    EXPECT_EQ(cycleFile().back(), "199 ,, cycle 199");
}

} // namespace
} // namespace veltrona
