// Reads the numbers of a record the way the scanf conversions " %d", " %ld" and " %lx" do,
// but always into 32 bits: out-of-range values stop at the limits instead of overflowing.
#pragma once

#include <cstdint>
#include <string_view>

enum class ScanResult {
    Number,   // a number was read
    Empty,    // only blanks (or nothing) before the end of the text
    Mismatch, // something that is not a number
};

template <typename T> struct Scanned {
    ScanResult result;
    T value; // 0 unless result is Number
    bool ok() const { return result == ScanResult::Number; }
};

// Blanks, an optional sign, decimal digits. Saturates at INT32_MIN / INT32_MAX.
Scanned<int32_t> ScanDecimal(std::string_view text);

// Blanks, an optional sign, an optional 0x, hexadecimal digits. Saturates at 0xFFFFFFFF; a minus
// sign negates modulo 2^32 as strtoul does.
Scanned<uint32_t> ScanHex(std::string_view text);
