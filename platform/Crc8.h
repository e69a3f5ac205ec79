#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrona {

// The Dallas/Maxim 1-Wire CRC-8 (reflected polynomial 0x8C, initial value 0, no final inversion):
// the check byte of the link frames and of the stored records.
std::uint8_t Crc8(const std::uint8_t* data, std::size_t n);

} // namespace veltrona
