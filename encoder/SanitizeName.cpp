#include "SanitizeName.h"

#include "platform/ModulePath.h"

#include <array>

namespace veltraenc
{

namespace
{

using Table = std::array<bool, 256>;

Table BuildTable(CharTable which)
{
    Table allowed;
    allowed.fill(true);
    // Both slashes are forbidden in a name, whichever of them the platform uses.
    for (unsigned char c : {'\\', '/', ':', '*', '?', '"', '<', '>', '|'})
        allowed[c] = false;
    // A path keeps this platform's separator only ("/" here), so "Artist\Album" becomes
    // one folder "Artist_Album" as it would be on a system that forbids "\" in names.
    if (which == CharTable::Path) allowed[static_cast<unsigned char>(plat::kPathSeparator)] = true;
    return allowed;
}

const Table& TableOf(CharTable which)
{
    // Built once per process on first use; the C++ runtime makes the first use thread-safe.
    static const Table name = BuildTable(CharTable::Name);
    static const Table path = BuildTable(CharTable::Path);
    return which == CharTable::Name ? name : path;
}

} // namespace

bool IsAllowedChar(unsigned char c, CharTable table)
{
    return TableOf(table)[c];
}

void SanitizeName(char* text, CharTable table)
{
    if (!text) return;
    const Table& allowed = TableOf(table);
    for (char* p = text; *p; ++p)
        if (!allowed[static_cast<unsigned char>(*p)]) *p = '_';
}

} // namespace veltraenc
