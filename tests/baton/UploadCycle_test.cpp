#include "baton/Frames.h"
#include "platform/TextFile.h"
#include "tests/baton/CycleRig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace veltrona::test {
namespace {

// The chip byte of every fill-level query, in order.
std::vector<int> ChipsQueried(const CycleRig& rig) {
    std::vector<int> out;
    for (const std::string& f : rig.framesOf(0x09))
        out.push_back(std::stoi(f.substr(2, 2), nullptr, 16));
    return out;
}

bool AllEmpty(const VirtualBaton& b) {
    return std::all_of(b.chips.begin(), b.chips.end(),
                       [](const auto& c) { return c.second.fillLevel == 8; });
}

TEST(UploadCycle, DownloadsEveryChipStoresOnceAndClearsIt) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    const VirtualBaton baton = MakeBaton("BRIN0007", {{14, 3}, {6, 2}, {0, 1}});
    rig.station.placeBaton(baton);
    ASSERT_TRUE(rig.runUntilPolling());

    EXPECT_EQ(rig.host.doRawCount, 1);
    EXPECT_EQ(rig.host.stored, ExpectedLines(baton, rig.clock.now()));
    EXPECT_EQ(rig.host.idLabel, "Id : BRIN0007");
    EXPECT_EQ(rig.host.versionLabel, "Version : 1627");
    EXPECT_EQ(rig.shared.VersionCode(), "2716");
    const std::vector<std::string> lines = RawUploadFile::InWorkDir(rig.dir.path()).lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Id : BRIN0007");
    EXPECT_EQ(lines.back(), "Done");
    EXPECT_TRUE(AllEmpty(rig.station.baton()));
    EXPECT_EQ(rig.station.bytesLostInBreak(), 0);
}

TEST(UploadCycle, BatonTypeDecidesChipsAndClockFrames) {
    struct Row {
        std::string identity;
        std::vector<int> chips;
        std::uint8_t setClock, readClock;
    } rows[] = {
        {"Brin0001", {2, 0}, 0x05, 0x03},
        {"BRIN0001", {14, 12, 10, 8, 6, 4, 2, 0}, 0x05, 0x03},
        {"BriC0001", {14, 12, 10, 8, 6, 4, 2, 0}, 0x35, 0x33},
        {"ABCC1234", {14, 12, 10, 8, 6, 4, 2, 0}, 0x35, 0x33},
    };
    for (const Row& r : rows) {
        CycleRig rig;
        ASSERT_TRUE(rig.start());
        rig.station.placeBaton(MakeBaton(r.identity, {{0, 1}}));
        ASSERT_TRUE(rig.runUntilPolling()) << r.identity;
        rig.runUntil([&] { return rig.framesOf(r.readClock).size() >= 2; }, 5000);
        EXPECT_EQ(ChipsQueried(rig), r.chips) << r.identity;
        EXPECT_EQ(rig.framesOf(r.setClock).size(), 1u) << r.identity;
        EXPECT_EQ(rig.framesOf(r.setClock == 0x05 ? 0x35 : 0x05).size(), 0u) << r.identity;
        EXPECT_GE(rig.framesOf(r.readClock).size(), 2u) << r.identity;
        EXPECT_EQ(rig.framesOf(r.readClock == 0x03 ? 0x33 : 0x03).size(), 0u) << r.identity;
        EXPECT_EQ(rig.host.stored.size(), 1u) << r.identity;
    }
}

TEST(UploadCycle, ClockDisplayWhenTheClockIsNotSet) {
    struct Row {
        const char* name;
        std::int64_t offset;
        bool unset;
        bool warning;
        IndicatorColour colour;
        std::string date, time;
    } rows[] = {
        {"same time", 0, false, false, IndicatorColour::WindowText, "Date : 09/08/2011", ""},
        {"two minutes off", 120, false, true, IndicatorColour::Red, "Date : 09/08/2011", ""},
        {"unset clock", 0, true, false, IndicatorColour::WindowText, "Date : ?", "Time : ?"},
    };
    for (const Row& r : rows) {
        CycleRig rig;
        rig.host.settings.updateDateTimeAutomatically = false;
        ASSERT_TRUE(rig.start());
        VirtualBaton b = MakeBaton("Brin0001", {});
        b.clockOffsetSeconds = r.offset;
        b.clockUnset = r.unset;
        rig.station.placeBaton(b);
        ASSERT_TRUE(rig.runUntilPolling()) << r.name;
        rig.runUntil([&] { return rig.framesOf(0x03).size() >= 2; }, 5000);
        EXPECT_TRUE(rig.framesOf(0x05).empty()) << r.name;
        EXPECT_EQ(rig.host.clockWarning, r.warning) << r.name;
        EXPECT_EQ(rig.host.dateColour, r.colour) << r.name;
        EXPECT_EQ(rig.host.timeColour, r.colour) << r.name;
        EXPECT_EQ(rig.host.dateLabel, r.date) << r.name;
        if (!r.time.empty()) {
            EXPECT_EQ(rig.host.timeLabel, r.time) << r.name;
        }
    }
}

TEST(UploadCycle, PendingIdIsWrittenZeroFilledAndTheBatonIdentifiedAgain) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    rig.shared.SetPendingId("42");
    const VirtualBaton baton = MakeBaton("Brin0001", {{0, 2}});
    rig.station.placeBaton(baton);
    ASSERT_TRUE(rig.runUntilPolling());

    const std::vector<std::string> ids = rig.framesOf(0x07);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(ids[0].substr(0, 10), "0730303432");
    EXPECT_EQ(rig.framesOf(0x01).size(), 2u); // identified before and after the write
    EXPECT_EQ(rig.shared.PendingId(), "");
    EXPECT_EQ(rig.host.idLabel, "Id : Brin0042");
    // The download follows the write.
    EXPECT_EQ(rig.host.stored, ExpectedLines(baton, rig.clock.now()));
}

TEST(UploadCycle, AutomaticIncrementOfTheIdNumber) {
    struct Row {
        std::string field;
        std::string written; // "" : none
        bool autoAfter;
    } rows[] = {
        {"0041", "0042", true}, {"0999", "1000", true}, {"9999", "", false}, {"A123", "", false}};
    for (const Row& r : rows) {
        CycleRig rig;
        rig.shared.SetIdDialogText(r.field);
        rig.shared.SetAutoIncrementId(true);
        ASSERT_TRUE(rig.start());
        rig.station.placeBaton(MakeBaton("Brin0001", {}));
        ASSERT_TRUE(rig.runUntilPolling()) << r.field;
        const std::vector<std::string> ids = rig.framesOf(0x07);
        if (r.written.empty()) {
            EXPECT_TRUE(ids.empty()) << r.field;
        } else {
            ASSERT_EQ(ids.size(), 1u) << r.field;
            std::string sent;
            for (std::size_t i = 2; i < 10; i += 2)
                sent.push_back(static_cast<char>(std::stoi(ids[0].substr(i, 2), nullptr, 16)));
            EXPECT_EQ(sent, r.written) << r.field;
            EXPECT_EQ(rig.host.idDialogNumber, r.written) << r.field;
        }
        EXPECT_EQ(rig.shared.AutoIncrementId(), r.autoAfter) << r.field;
    }
}

TEST(UploadCycle, FillLevelsGiveOneLinePerBlockAfterTheHeader) {
    struct Row {
        int fill;
        std::size_t lines;
        std::size_t clears;
    } rows[] = {{8, 0, 0}, {16, 1, 1}, {24, 2, 1}};
    for (const Row& r : rows) {
        CycleRig rig;
        ASSERT_TRUE(rig.start());
        VirtualBaton b = MakeBaton("Brin0001", {{0, 2}});
        b.chips[0].fillLevel = r.fill;
        rig.station.placeBaton(b);
        ASSERT_TRUE(rig.runUntilPolling()) << r.fill;
        EXPECT_EQ(rig.host.stored.size(), r.lines) << r.fill;
        EXPECT_EQ(rig.framesOf(0x11).size(), r.clears) << r.fill;
        EXPECT_EQ(rig.host.doRawCount, r.lines > 0 ? 1 : 0) << r.fill;
    }
}

TEST(UploadCycle, UploadAndClearSwitches) {
    struct Row {
        const char* name;
        bool upload, clear;
        std::size_t stored;
        std::size_t clears;
        std::size_t clearedWithoutUpload;
    } rows[] = {
        {"upload off, clear on", false, true, 0, 2, 2},
        {"both off", false, false, 0, 0, 0},
        {"upload on, clear off", true, false, 5, 0, 0},
    };
    for (const Row& r : rows) {
        CycleRig rig;
        rig.host.settings.uploadVeltronaData = r.upload;
        rig.host.settings.clearVeltronaMemory = r.clear;
        ASSERT_TRUE(rig.start());
        rig.station.placeBaton(MakeBaton("Brin0001", {{2, 3}, {0, 2}}));
        ASSERT_TRUE(rig.runUntilPolling()) << r.name;
        EXPECT_EQ(rig.host.stored.size(), r.stored) << r.name;
        EXPECT_EQ(rig.framesOf(0x11).size(), r.clears) << r.name;
        EXPECT_EQ(rig.host.clearedWithoutUpload.size(), r.clearedWithoutUpload) << r.name;
        EXPECT_EQ(AllEmpty(rig.station.baton()), r.clear) << r.name;
        if (!r.upload) {
            EXPECT_FALSE(textfile::fileExists(rig.dir / "Raw.txt")) << r.name;
        }
    }
}

TEST(UploadCycle, BatonWithoutDataLeavesRawTxtAlone) {
    struct Row {
        std::string identity;
        bool noDataShown;
    } rows[] = {{"Brin0001", true}, {"XYZ00001", false}};
    for (const Row& r : rows) {
        CycleRig rig;
        rig.dir.writeLines("Raw.txt", {"Id : Old", "000000A1B2C3110809100030", "Done"});
        ASSERT_TRUE(rig.start());
        rig.station.placeBaton(MakeBaton(r.identity, {}));
        ASSERT_TRUE(rig.runUntilPolling()) << r.identity;
        EXPECT_EQ(rig.host.doRawCount, 0) << r.identity;
        EXPECT_EQ(rig.dir.readLines("Raw.txt"),
                  (std::vector<std::string>{"Id : Old", "000000A1B2C3110809100030", "Done"}))
            << r.identity;
        EXPECT_EQ(rig.host.noData, r.noDataShown) << r.identity;
    }
}

TEST(UploadCycle, ChipZeroAfterChipTwoWithDataStartsAfterOneBlockWait) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    const VirtualBaton baton = MakeBaton("Brin0001", {{2, 3}, {0, 2}});
    rig.station.placeBaton(baton);
    ASSERT_TRUE(rig.runUntilPolling());
    EXPECT_EQ(rig.host.stored, ExpectedLines(baton, rig.clock.now()));
    std::size_t chip0Pointers = 0;
    for (const std::string& f : rig.framesOf(0x0B))
        chip0Pointers += f.substr(2, 2) == "00" ? 1 : 0;
    EXPECT_EQ(chip0Pointers, 2u);
}

TEST(UploadCycle, LineFaultsDuringABlockReadLoseAndRepeatNothing) {
    struct Row {
        const char* name;
        StationFault fault;
    } rows[] = {
        {"wrong check byte", {StationFault::Kind::WrongCheckByte, 0x0D, 3, "", 1}},
        {"dropped byte", {StationFault::Kind::DropBytes, 0x0D, 2, "", 1}},
        {"no answer", {StationFault::Kind::NoAnswer, 0x0D, 4, "", 1}},
        {"unknown byte in front of a reply", {StationFault::Kind::StrayBytes, 0x0D, 3, "\x77", 1}},
        {"refused block pointer", {StationFault::Kind::Refuse, 0x0B, 1, "", 1}},
        {"no answer to the fill level", {StationFault::Kind::NoAnswer, 0x09, 2, "", 1}},
    };
    for (const Row& r : rows) {
        CycleRig rig;
        ASSERT_TRUE(rig.start());
        const VirtualBaton baton = MakeBaton("BRIN0001", {{14, 4}, {12, 3}});
        rig.station.addFault(r.fault);
        rig.station.placeBaton(baton);
        ASSERT_TRUE(rig.runUntilPolling()) << r.name;
        EXPECT_EQ(rig.host.stored, ExpectedLines(baton, rig.clock.now())) << r.name;
        EXPECT_TRUE(AllEmpty(rig.station.baton())) << r.name;
    }
}

TEST(UploadCycle, TakingTheBatonOffDuringClockPollingRestartsWithinAPoll) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    rig.station.placeBaton(MakeBaton("Brin0001", {{0, 1}}));
    ASSERT_TRUE(rig.runUntilPolling());
    rig.runUntil([&] { return rig.framesOf(0x03).size() >= 3; }, 5000);
    rig.host.leds.clear();
    const std::uint64_t off = rig.clock.tickMs();
    rig.station.removeBaton();
    ASSERT_TRUE(rig.runUntil(
        [&] {
            return std::find(rig.host.leds.begin(), rig.host.leds.end(), IndicatorColour::Yellow) !=
                   rig.host.leds.end();
        },
        5000));
    EXPECT_LE(rig.clock.tickMs() - off, 1600u);
}

// A baton taken off anywhere in a three-chip download and put back: every clocking reaches the
// day files exactly once, also those of chips cleared before it went.
TEST(UploadCycle, InterruptedDownloadLosesNoClocking) {
    struct Row {
        const char* name;
        std::uint8_t command;
        int occurrence;
    } rows[] = {
        {"during chip 14", 0x0D, 2},
        {"during chip 12", 0x0D, 7},
        {"during chip 10", 0x0D, 12},
        {"at the first clear", 0x11, 1},
        {"at the second clear", 0x11, 2},
        {"at the third clear", 0x11, 3},
        {"asking chip 12's fill", 0x09, 2},
        {"asking chip 8's fill", 0x09, 4},
        {"at chip 10's block pointer", 0x0B, 3},
    };
    for (const Row& r : rows) {
        CycleRig rig;
        ASSERT_TRUE(rig.start());
        const VirtualBaton baton = MakeBaton("BRIN0001", {{14, 3}, {12, 4}, {10, 2}});
        rig.station.addFault({StationFault::Kind::BatonOff, r.command, r.occurrence, "", 1});
        rig.station.placeBaton(baton);
        ASSERT_TRUE(rig.runUntil([&] { return !rig.station.batonPresent(); })) << r.name;
        ASSERT_TRUE(rig.runUntilLooking()) << r.name;
        rig.station.placeBaton(rig.station.baton());
        ASSERT_TRUE(rig.runUntilPolling()) << r.name;
        EXPECT_EQ(rig.host.stored, ExpectedLines(baton, rig.clock.now())) << r.name;
        EXPECT_TRUE(AllEmpty(rig.station.baton())) << r.name;
        EXPECT_EQ(RawUploadFile::InWorkDir(rig.dir.path()).lastLine(), "Done") << r.name;
    }
}

// ---------------------------------------------------------------- failed-patrol programme

FailedPatrolProgramme Programme(int entries) {
    FailedPatrolProgramme p;
    for (int i = 0; i < entries; ++i)
        p.entries.push_back({0x00, 0xA1, static_cast<std::uint8_t>(i), 0x09, 0xC8, 0x10, 0x30});
    return p;
}

TEST(ProgrammeWrite, ThreeEntriesGoIntoChipZeroAfterItsHeader) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    rig.failedPatrol.SetPending(Programme(3));
    rig.station.placeBaton(MakeBaton("Brin0001", {}));
    ASSERT_TRUE(rig.runUntilPolling());

    EXPECT_EQ(rig.framesOf(0x0B).size(), 1u);
    EXPECT_EQ(rig.framesOf(0x0F).size(), 3u);
    const std::vector<std::string> fills = rig.framesOf(0x11);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].substr(0, 8), "11000020");
    EXPECT_FALSE(rig.failedPatrol.Pending());
    const std::vector<std::array<std::uint8_t, 8>> blocks =
        rig.station.baton().chips.at(0).storedBlocks();
    const FailedPatrolProgramme programme = Programme(3);
    ASSERT_EQ(blocks.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const FailedPatrolEntry& e = programme.entries[i];
        EXPECT_TRUE(std::equal(e.begin(), e.end(), blocks[i].begin())) << "entry " << i + 1;
    }
    EXPECT_EQ(rig.dir.readBytes("Raw.txt"), "Done");
}

TEST(ProgrammeWrite, RefusedBlockIsWrittenAgain) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    rig.failedPatrol.SetPending(Programme(3));
    rig.station.addFault({StationFault::Kind::Refuse, 0x0F, 2, "", 1});
    rig.station.placeBaton(MakeBaton("Brin0001", {}));
    ASSERT_TRUE(rig.runUntilPolling());
    const std::vector<std::string> writes = rig.framesOf(0x0F);
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[1], writes[2]);
    EXPECT_EQ(rig.station.baton().chips.at(0).storedBlocks().size(), 3u);
    EXPECT_FALSE(rig.failedPatrol.Pending());
}

TEST(ProgrammeWrite, StaysPendingUntilAWholeProgrammeIsAcknowledged) {
    struct Row {
        const char* name;
        StationFault fault;
        std::size_t blockWrites; // 0F frames the station received in all
    } rows[] = {
        {"baton off at the second entry", {StationFault::Kind::BatonOff, 0x0F, 2, "", 1}, 5},
        {"baton off at the fill level", {StationFault::Kind::BatonOff, 0x11, 1, "", 1}, 6},
        {"fill level refused", {StationFault::Kind::Refuse, 0x11, 1, "", 1}, 6},
    };
    for (const Row& r : rows) {
        CycleRig rig;
        ASSERT_TRUE(rig.start());
        rig.failedPatrol.SetPending(Programme(3));
        rig.station.addFault(r.fault);
        rig.station.placeBaton(MakeBaton("Brin0001", {}));
        if (r.fault.kind == StationFault::Kind::BatonOff) {
            ASSERT_TRUE(rig.runUntil([&] { return !rig.station.batonPresent(); })) << r.name;
            ASSERT_TRUE(rig.runUntilLooking()) << r.name;
            EXPECT_TRUE(rig.failedPatrol.Pending()) << r.name;
            rig.station.placeBaton(rig.station.baton());
        }
        ASSERT_TRUE(rig.runUntil([&] {
            return !rig.failedPatrol.Pending() && rig.cycle->PollingClock();
        })) << r.name;
        EXPECT_EQ(rig.framesOf(0x0F).size(), r.blockWrites) << r.name;
        EXPECT_EQ(rig.station.baton().chips.at(0).storedBlocks().size(), 3u) << r.name;
    }
}

TEST(ProgrammeWrite, NotWrittenOverAChipZeroThatCouldNotBeRead) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    rig.failedPatrol.SetPending(Programme(3));
    for (int k = 1; k <= 6; ++k)
        rig.station.addFault({StationFault::Kind::NoAnswer, 0x0D, k, "", 1});
    const VirtualBaton baton = MakeBaton("Brin0001", {{0, 4}});
    rig.station.placeBaton(baton);
    ASSERT_TRUE(rig.runUntilPolling());
    EXPECT_EQ(ChipsQueried(rig), (std::vector<int>{2, 0}));
    EXPECT_TRUE(rig.framesOf(0x0F).empty());
    EXPECT_TRUE(rig.failedPatrol.Pending());
    EXPECT_EQ(rig.station.baton().chips.at(0).storedBlocks(), baton.chips.at(0).storedBlocks());
}

} // namespace
} // namespace veltrona::test
