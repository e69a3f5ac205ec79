#include "baton/Frames.h"
#include "tests/baton/CycleRig.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(UploadCycle, DownloadsEveryChipStoresOnceAndClearsIt) {
    CycleRig rig;
    ASSERT_TRUE(rig.start());
    const VirtualBaton baton = MakeBaton("BRIN0007", {{14, 3}, {6, 2}, {0, 1}});
    rig.station.placeBaton(baton);
    ASSERT_TRUE(rig.runUntilPolling());

    EXPECT_EQ(rig.host.doRawCount, 1);
    EXPECT_EQ(rig.host.stored, ExpectedLines(baton, rig.clock.now()));
    EXPECT_EQ(rig.host.idLabel, "Id : BRIN0007");
    const std::vector<std::string> lines = rig.host.stored.empty()
                                               ? std::vector<std::string>{}
                                               : RawUploadFile::InWorkDir(rig.dir.path()).lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Id : BRIN0007");
    EXPECT_EQ(lines.back(), "Done");
    for (const auto& [number, chip] : rig.station.baton().chips)
        EXPECT_EQ(chip.fillLevel, 8) << "chip " << number;
    // Eight chips asked for, from 14 down to 0.
    EXPECT_EQ(rig.framesOf(0x09).size(), 8u);
}

} // namespace
} // namespace veltrona::test
