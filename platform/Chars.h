#pragma once

namespace veltrona {

// The character tests every line layout of the system reads with: ASCII only, whatever the
// locale, so bytes above 127 are never digits.
inline bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit (either case), or -1.
inline int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace veltrona
