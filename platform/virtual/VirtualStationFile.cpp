#include "platform/virtual/VirtualStationFile.h"

#include "platform/Chars.h"

#include "platform/TextFile.h"

#include <fstream>
#include <sstream>

namespace veltrona {

namespace {

// The hex digits of `text` (spaces ignored) as bytes; nullopt when anything else is there.
std::optional<std::vector<std::uint8_t>> hexBytes(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        if (hexDigit(c) < 0)
            return std::nullopt;
        digits.push_back(c);
    }
    if (digits.empty() || digits.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out.push_back(
            static_cast<std::uint8_t>(hexDigit(digits[i]) * 16 + hexDigit(digits[i + 1])));
    return out;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

} // namespace

VirtualBaton ParseVirtualBatonFile(std::istream& in) {
    VirtualBaton baton;
    baton.chips.clear();
    VirtualChip* chip = nullptr;
    std::map<int, bool> fillGiven;
    int currentChip = -1;
    int lineNo = 0;
    const auto fail = [&](const std::string& why) {
        throw VirtualBatonFileError("virtual baton file, line " + std::to_string(lineNo) + ": " +
                                    why);
    };
    for (const std::string& raw : textfile::readLines(in)) {
        ++lineNo;
        std::string line = raw;
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        line = trim(line);
        if (line.empty())
            continue;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        const std::string key = textfile::foldCase(keyword);
        std::string rest;
        std::getline(words, rest);
        rest = trim(rest);
        if (key == "identity") {
            if (rest.empty() || rest.size() > 8)
                fail("the identity has one to eight characters");
            baton.identity = rest;
        } else if (key == "version") {
            const auto bytes = hexBytes(rest);
            if (!bytes || bytes->size() != 2)
                fail("version needs two hex bytes");
            baton.version = {(*bytes)[0], (*bytes)[1]};
        } else if (key == "clock") {
            std::istringstream parts(rest);
            std::string kind, offset;
            parts >> kind >> offset;
            kind = textfile::foldCase(kind);
            if (kind == "bcd")
                baton.clockKind = VirtualBaton::ClockKind::Bcd;
            else if (kind == "seconds")
                baton.clockKind = VirtualBaton::ClockKind::SecondsCounter;
            else
                fail("clock kind is bcd or seconds");
            if (textfile::foldCase(offset) == "unset") {
                baton.clockUnset = true;
            } else if (!offset.empty()) {
                try {
                    baton.clockOffsetSeconds = std::stoll(offset);
                } catch (const std::exception&) {
                    fail("clock offset is a number of seconds");
                }
            }
        } else if (key == "delay") {
            try {
                baton.delayByte = static_cast<std::uint8_t>(std::stoi(rest));
            } catch (const std::exception&) {
                fail("delay is a number");
            }
        } else if (key == "chip") {
            int n = -1;
            try {
                n = std::stoi(rest);
            } catch (const std::exception&) {
            }
            if (n < 0 || n > 14 || n % 2 != 0)
                fail("chip numbers are 0, 2, ... 14");
            currentChip = n;
            chip = &baton.chips[n];
        } else if (key == "header" || key == "fill" || key == "unusable") {
            if (!chip)
                fail(keyword + " comes after a chip line");
            if (key == "unusable") {
                chip->usable = false;
            } else if (key == "fill") {
                try {
                    chip->fillLevel = std::stoi(rest);
                } catch (const std::exception&) {
                    fail("fill is a number of bytes");
                }
                fillGiven[currentChip] = true;
            } else {
                const auto bytes = hexBytes(rest);
                if (!bytes || bytes->size() != 8)
                    fail("header needs eight hex bytes");
                std::copy(bytes->begin(), bytes->end(), chip->blocks[0].begin());
            }
        } else {
            const auto bytes = hexBytes(line);
            if (!bytes)
                fail("not understood: " + raw);
            if (!chip)
                fail("a block comes after a chip line");
            if (bytes->size() < 6 || bytes->size() > 8)
                fail("a block has six to eight bytes");
            std::array<std::uint8_t, 8> block{};
            std::copy(bytes->begin(), bytes->end(), block.begin());
            chip->blocks.push_back(block);
        }
    }
    for (auto& [n, c] : baton.chips) {
        if (!fillGiven[n])
            c.fillLevel = static_cast<int>(8 * c.blocks.size());
    }
    return baton;
}

VirtualBaton LoadVirtualBatonFile(const std::filesystem::path& file) {
    std::istringstream in(textfile::readAll(file));
    return ParseVirtualBatonFile(in);
}

} // namespace veltrona
