#include "platform/Crc8.h"

namespace veltrona {

std::uint8_t Crc8(const std::uint8_t* data, std::size_t n) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t b = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ b) & 1) != 0;
            crc = static_cast<std::uint8_t>(crc >> 1);
            if (mix)
                crc ^= 0x8C;
            b = static_cast<std::uint8_t>(b >> 1);
        }
    }
    return crc;
}

} // namespace veltrona
