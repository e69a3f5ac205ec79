#include "processing/ClockingRecord.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace veltrona;

namespace {

struct RecordCase {
    const char* label;
    std::string line;
    bool corrupt;
    bool storeMarker;   // needs 23 characters
    bool processMarker; // needs 22
    int minute;
};

class RecordTermsTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordTermsTest, Terms) {
    const auto& c = GetParam();
    EXPECT_EQ(record::IsCorrupt(c.line), c.corrupt);
    EXPECT_EQ(record::IsUnitMarker(c.line, record::StoreMarkerLength), c.storeMarker);
    EXPECT_EQ(record::IsUnitMarker(c.line, record::ProcessMarkerLength), c.processMarker);
    EXPECT_EQ(record::MinuteValue(c.line), c.minute);
}

INSTANTIATE_TEST_SUITE_P(Lines, RecordTermsTest,
                         ::testing::Values(RecordCase{"plain",
                                                      "000000123ABC1108091405"
                                                      "7",
                                                      false, false, false, 0x05},
                                           RecordCase{"letter_at_19",
                                                      "000000123ABC110809C405"
                                                      "7",
                                                      false, false, false, 0x05},
                                           RecordCase{"letter_at_20",
                                                      "000000123ABC1108091A05"
                                                      "7",
                                                      true, false, false, 0x05},
                                           RecordCase{"letter_in_date",
                                                      "000000123ABC11O8091405"
                                                      "7",
                                                      true, false, false, 0x05},
                                           RecordCase{"letter_in_block_number",
                                                      "000000123ABC1108091405"
                                                      "x",
                                                      true, false, false, 0x05},
                                           RecordCase{"high_byte", "000000123ABC1108091405\xe9",
                                                      true, false, false, 0x05},
                                           RecordCase{"marker",
                                                      "0000000000421108091480"
                                                      "8",
                                                      false, true, true, 0x80},
                                           RecordCase{"marker_22_chars", "0000000000421108091480",
                                                      false, false, true, 0x80},
                                           RecordCase{"minute_127_no_marker",
                                                      "000000000042110809147F"
                                                      "8",
                                                      true, false, false, 0x7F},
                                           RecordCase{"marker_needs_digit_id",
                                                      "00000000004A1108091480"
                                                      "8",
                                                      false, false, false, 0x80},
                                           RecordCase{"short", "000000123", false, false, false,
                                                      -1},
                                           RecordCase{"minute_not_hex",
                                                      "000000000042110809148G"
                                                      "8",
                                                      true, false, false, -1}),
                         [](const auto& p) { return std::string(p.param.label); });

TEST(RecordKey, DateTimeFirstAndBack) {
    const std::string line = "000000123ABC1108091405";
    EXPECT_EQ(record::RecordKey(line + "17"), "1108091405000000123ABC");
    EXPECT_EQ(record::LineFromKey(record::RecordKey(line)), line);
    EXPECT_EQ(record::DayOf(line), "110809");
    EXPECT_EQ(record::IdOf(line), "123ABC");
    EXPECT_EQ(record::IdOf("0000001"), "1");
    EXPECT_EQ(record::DayOf("short"), "");
}

TEST(LineKinds, IdDoneAndGapLines) {
    EXPECT_TRUE(record::IsIdLine("Id : Brin0042"));
    EXPECT_TRUE(record::IsIdLine("Idx: 01/01/11"));
    EXPECT_FALSE(record::IsIdLine("id : lower"));
    EXPECT_TRUE(record::IsDoneLine("Done"));
    EXPECT_FALSE(record::IsDoneLine("Done "));
    for (const char* gap : {"MissingLine", "Missing Line", "ExtraLine", "Extra Line"})
        EXPECT_TRUE(record::IsGapLine(gap)) << gap;
    EXPECT_FALSE(record::IsGapLine("Missing"));
}

// Builds a record whose first byte is the CRC-8 of the ten bytes after it.
std::string withCrc(const std::string& rest20) {
    unsigned char bytes[10];
    for (std::size_t i = 0; i < 10; ++i)
        bytes[i] = static_cast<unsigned char>(std::stoi(rest20.substr(2 * i, 2), nullptr, 16));
    char head[3];
    std::snprintf(head, sizeof head, "%02X", record::Crc8(bytes, 10));
    return head + rest20;
}

TEST(CheckRecordCrc, FirstByteIsTheCrcOfTheOthers) {
    // The 1-Wire CRC-8 check value of "123456789".
    const unsigned char check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(record::Crc8(check, 9), 0xA1);

    const std::string good = withCrc("0000123ABC1108091405");
    EXPECT_TRUE(record::CheckRecordCrc(good));
    EXPECT_TRUE(record::CheckRecordCrc(good + "17"));
    std::string flipped = good;
    flipped[21] = flipped[21] == '5' ? '6' : '5';
    EXPECT_FALSE(record::CheckRecordCrc(flipped));
    EXPECT_FALSE(record::CheckRecordCrc(good.substr(0, 21)));
    std::string notHex = good;
    notHex[8] = 'G';
    EXPECT_FALSE(record::CheckRecordCrc(notHex));
}

} // namespace
