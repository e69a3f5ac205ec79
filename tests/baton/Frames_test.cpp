#include "baton/Frames.h"

#include <gtest/gtest.h>

namespace veltrona::frames {
namespace {

std::string B(std::initializer_list<int> v) {
    std::string s;
    for (int b : v)
        s.push_back(static_cast<char>(b));
    return s;
}

TEST(Crc8, CheckValues) {
    struct Row {
        const char* name;
        std::string data;
        std::uint8_t crc;
    } rows[] = {
        {"01", B({0x01}), 0x5E},
        {"03", B({0x03}), 0xE2},
        {"0D", B({0x0D}), 0xFD},
        {"33", B({0x33}), 0x5C},
        {"abc", "abc", 0x42},
        {"empty", "", 0x00},
        {"data+own crc", B({0x02, 0x16, 0x27, 'B', 'r', 'i', 'n'}) + B({0x00}), 0x00},
    };
    rows[6].data.back() = static_cast<char>(Crc8(rows[6].data.substr(0, 7)));
    for (const Row& r : rows)
        EXPECT_EQ(Crc8(r.data), r.crc) << r.name;
}

TEST(CommandFrames, Layouts) {
    const DateTime t{2011, 8, 9, 10, 5, 7, 0}; // a Tuesday
    struct Row {
        const char* name;
        std::string frame;
        std::string expected;
    } rows[] = {
        {"identity", IdentityRequest(), B({0x01, 0x5E})},
        {"clock", ClockRequest(), B({0x03, 0xE2})},
        {"seconds clock", SecondsClockRequest(), B({0x33, 0x5C})},
        {"next block", NextBlockRequest(), B({0x0D, 0xFD})},
        {"set clock", SetClockFrame(t).substr(0, 9),
         B({0x05, 0x20, 0x11, 0x08, 0x09, 0x10, 0x05, 0x07, 0x02})},
        {"set id", SetIdFrame("0042").substr(0, 5), B({0x07, '0', '0', '4', '2'})},
        {"fill level", FillLevelRequest(14).substr(0, 2), B({0x09, 0x0E})},
        {"block pointer", BlockPointerFrame(2, 0x1238).substr(0, 5),
         B({0x0B, 0x02, 0x12, 0x38, 0x08})},
        {"set fill", SetFillLevelFrame(0, 32).substr(0, 4), B({0x11, 0x00, 0x00, 0x20})},
    };
    for (const Row& r : rows)
        EXPECT_EQ(HexDump(r.frame), HexDump(r.expected)) << r.name;
    for (const std::string& f : {SetClockFrame(t), SetIdFrame("0042"), FillLevelRequest(14),
                                 BlockPointerFrame(2, 0x1238), SetFillLevelFrame(0, 32)})
        EXPECT_EQ(Crc8(f), 0) << HexDump(f);
}

TEST(CommandFrames, BlockWriteCarriesTwoCheckBytesTheSecondAlwaysZero) {
    for (const std::array<std::uint8_t, 7>& e :
         {std::array<std::uint8_t, 7>{0x00, 0xA1, 0xB2, 0x04, 0xC4, 0x14, 0x07},
          std::array<std::uint8_t, 7>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}) {
        const std::string f = BlockWriteFrame(e);
        ASSERT_EQ(f.size(), 10u);
        EXPECT_EQ(static_cast<std::uint8_t>(f[8]), Crc8(f.substr(0, 8))) << HexDump(f);
        EXPECT_EQ(f[9], 0) << HexDump(f);
    }
}

TEST(CommandFrames, SecondsCounterRoundTrip) {
    const DateTime t{2011, 8, 9, 10, 5, 7, 0};
    const std::uint32_t v = SecondsCounterValue(t);
    // Seconds since 1970 plus one: the counter's own origin.
    EXPECT_EQ(v, 1312884307u + 1u);
    EXPECT_EQ(SecondsCounterMoment(v), t);
    const std::string f = SetSecondsClockFrame(t);
    EXPECT_EQ(static_cast<std::uint8_t>(f[1]), v & 0xFF);
    EXPECT_EQ(static_cast<std::uint8_t>(f[4]), v >> 24);
}

TEST(Identity, FilterAndBatonTypes) {
    struct Row {
        std::string raw;
        std::string filtered;
        bool secondsCounter;
        bool family;
    } rows[] = {
        {"Brin0001", "Brin0001", false, true}, {"BRIN0001", "BRIN0001", false, true},
        {"BriC0001", "BriC0001", true, true},  {"brin0001", "brin0001", false, false},
        {"AB-CC123", "ABCC123", true, false},  {" Br in12", "Brin12", false, true},
        {"\x01\x02", "", false, false},
    };
    for (const Row& r : rows) {
        const std::string id = FilterIdentity(r.raw);
        EXPECT_EQ(id, r.filtered) << r.raw;
        EXPECT_EQ(IsSecondsCounterBaton(id), r.secondsCounter) << r.raw;
        EXPECT_EQ(IsFamilyBaton(id), r.family) << r.raw;
    }
}

std::string ClockReply(int yh, int yl, int mo, int d, int h, int mi, int s) {
    return WithCrc(B({0x04, yh, yl, mo, d, h, mi, s, 0}));
}

TEST(ClockDisplay, ComparesTheBatonsMinuteWithThePc) {
    const DateTime pc{2011, 8, 9, 10, 0, 30, 0};
    struct Row {
        const char* name;
        std::string reply;
        bool compared;
        bool mismatch;
        std::string date, time;
    } rows[] = {
        {"same minute", ClockReply(0x20, 0x11, 0x08, 0x09, 0x10, 0x00, 0x12), true, false,
         "Date : 09/08/2011", "Time : 10:00.12"},
        {"baton minute 09:59, seconds left out",
         ClockReply(0x20, 0x11, 0x08, 0x09, 0x09, 0x59, 0x59), true, true, "Date : 09/08/2011",
         "Time : 09:59.59"},
        {"one minute ahead", ClockReply(0x20, 0x11, 0x08, 0x09, 0x10, 0x01, 0x00), true, false,
         "Date : 09/08/2011", "Time : 10:01.00"},
        {"two minutes ahead", ClockReply(0x20, 0x11, 0x08, 0x09, 0x10, 0x02, 0x00), true, true,
         "Date : 09/08/2011", "Time : 10:02.00"},
        {"not a date", ClockReply(0x20, 0x11, 0x13, 0x09, 0x10, 0x00, 0x00), true, true,
         "Date : 09/13/2011", "Time : 10:00.00"},
        {"unset", ClockReply(0x20, 0x00, 0x1F, 0x3F, 0xFF, 0xFF, 0xFF), false, false, "Date : ?",
         "Time : ?"},
    };
    for (const Row& r : rows) {
        const ClockDisplay d = BcdClockDisplay(
            reinterpret_cast<const std::uint8_t*>(r.reply.data()), pc, "Date :", "Time :");
        EXPECT_EQ(d.compared, r.compared) << r.name;
        EXPECT_EQ(d.mismatch, r.mismatch) << r.name;
        EXPECT_EQ(d.date, r.date) << r.name;
        EXPECT_EQ(d.time, r.time) << r.name;
    }
}

TEST(ChipDisplay, NumberShownAfterDownloadingData) {
    const std::pair<int, std::optional<int>> rows[] = {
        {14, 9}, {12, 8}, {0, 2}, {-1, 2}, {-2, std::nullopt}, {-3, std::nullopt}, {-4, 0}};
    for (const auto& [chipMem, shown] : rows)
        EXPECT_EQ(ChipDisplayNumber(chipMem), shown) << "ChipMem " << chipMem;
}

} // namespace
} // namespace veltrona::frames
