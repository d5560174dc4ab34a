#include "NumberScan.h"

#include <limits>

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Skips the blanks and the sign; tells whether the number is negative.
std::size_t SkipToDigits(std::string_view text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

bool OnlyBlanks(std::string_view text)
{
    for (char c : text)
        if (!IsBlank(c)) return false;
    return true;
}

} // namespace

Scanned<int32_t> ScanDecimal(std::string_view text)
{
    if (OnlyBlanks(text)) return {ScanResult::Empty, 0};
    bool negative = false;
    std::size_t i = SkipToDigits(text, negative);
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return {ScanResult::Mismatch, 0};
    // Magnitude up to 2^31 so that INT32_MIN itself is reachable.
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) magnitude = limit;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return {ScanResult::Number, std::numeric_limits<int32_t>::max()};
    return {ScanResult::Number, static_cast<int32_t>(value)};
}

Scanned<uint32_t> ScanHex(std::string_view text)
{
    if (OnlyBlanks(text)) return {ScanResult::Empty, 0};
    bool negative = false;
    std::size_t i = SkipToDigits(text, negative);
    // "0x" counts as a prefix only when a digit follows; otherwise the 0 is the number.
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    if (i >= text.size() || HexDigit(text[i]) < 0) return {ScanResult::Mismatch, 0};
    constexpr uint64_t limit = std::numeric_limits<uint32_t>::max();
    uint64_t magnitude = 0;
    bool saturated = false;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        magnitude = magnitude * 16 + static_cast<uint64_t>(HexDigit(text[i]));
        if (magnitude > limit) {
            magnitude = limit;
            saturated = true;
        }
    }
    uint32_t value = static_cast<uint32_t>(magnitude);
    if (negative && !saturated) value = 0u - value;
    return {ScanResult::Number, value};
}
