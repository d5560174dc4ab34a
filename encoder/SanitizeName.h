// The two character tables of output names and the cleaning of a text with one of them.
#pragma once

namespace veltraenc
{

enum class CharTable {
    Name, // file names and single folder levels: both slashes are forbidden
    Path, // sub-folder paths: the platform's separator is allowed
};

bool IsAllowedChar(unsigned char c, CharTable table);

// Replaces, in place, every byte that the table does not allow by "_".
void SanitizeName(char* text, CharTable table);

} // namespace veltraenc
