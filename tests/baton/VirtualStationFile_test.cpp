#include "baton/WireLogPort.h"
#include "platform/virtual/VirtualClock.h"
#include "platform/virtual/VirtualStation.h"
#include "platform/virtual/VirtualStationFile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace veltrona {
namespace {

VirtualBaton Parse(const std::string& text) {
    std::istringstream in(text);
    return ParseVirtualBatonFile(in);
}

TEST(VirtualBatonFile, DescribesIdentityClockAndChips) {
    const VirtualBaton b = Parse("# demo\r\n"
                                 "identity BriC0042\r\n"
                                 "version 16 27\r\n"
                                 "clock seconds -120\r\n"
                                 "chip 2\r\n"
                                 "00A1B2 08 09 22 15 00   # first round\r\n"
                                 "00A1B30809223100\r\n"
                                 "chip 0\n"
                                 "fill 8\n"
                                 "00A1B4 08 09 22 45\n"
                                 "chip 6\n"
                                 "unusable\n");
    EXPECT_EQ(b.identity, "BriC0042");
    EXPECT_EQ(b.clockKind, VirtualBaton::ClockKind::SecondsCounter);
    EXPECT_EQ(b.clockOffsetSeconds, -120);
    ASSERT_EQ(b.chips.size(), 3u);
    EXPECT_EQ(b.chips.at(2).fillLevel, 24);
    EXPECT_EQ(b.chips.at(2).storedBlocks().at(1),
              (std::array<std::uint8_t, 8>{0x00, 0xA1, 0xB3, 0x08, 0x09, 0x22, 0x31, 0x00}));
    EXPECT_EQ(b.chips.at(0).fillLevel, 8);
    EXPECT_TRUE(b.chips.at(0).storedBlocks().empty());
    EXPECT_FALSE(b.chips.at(6).usable);
}

TEST(VirtualBatonFile, RejectsWhatItDoesNotUnderstandNamingTheLine) {
    const std::pair<const char*, const char*> rows[] = {
        {"identity Brin0001\nchip 3\n", "line 2"},      {"00A1B2 08 09 22 15 00\n", "line 1"},
        {"chip 0\n00A1B2 08 09\n", "line 2"},           {"clock atomic\n", "line 1"},
        {"identity Brin0001\nbogus words\n", "line 2"},
    };
    for (const auto& [text, where] : rows) {
        try {
            Parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const VirtualBatonFileError& e) {
            EXPECT_NE(std::string(e.what()).find(where), std::string::npos) << e.what();
        }
    }
}

TEST(VirtualBatonFile, ShippedDemoBatonParses) {
    const VirtualBaton b =
        LoadVirtualBatonFile(std::string(VELTRONA_SOURCE_DIR) + "/demo/baton.txt");
    std::size_t clockings = 0;
    for (const auto& [n, chip] : b.chips)
        clockings += chip.storedBlocks().size();
    EXPECT_EQ(b.identity, "Brin0042");
    EXPECT_GE(clockings, 24u);
}

TEST(WireLog, RecordsTheLineAsASnifferWould) {
    VirtualClock clock;
    VirtualStation station(clock);
    station.setPort("COM7", VirtualPortKind::Cable);
    std::ostringstream out;
    WireLogPort port(station, clock, out);
    EXPECT_THROW(port.open("COM8"), SerialError);
    port.open("COM7");
    port.setDtr(true);
    port.write("\x01\x5E");
    clock.advance(5);
    port.read(port.bytesWaiting());
    port.read(port.bytesWaiting()); // nothing waiting: no line
    port.setBreak(true);
    port.close();
    EXPECT_EQ(out.str(), "0 OPEN COM7\n"
                         "0 DTR 1\n"
                         "0 > 01 5E\n"
                         "5 < 01 5E\n"
                         "5 BREAK 1\n"
                         "5 CLOSE\n");
}

} // namespace
} // namespace veltrona
