// The user's cache folder ($XDG_CACHE_HOME/veltracdrip, else ~/.cache/veltracdrip), where
// replies looked up once are kept so the disc is known offline.
#pragma once

#include <optional>
#include <string>

namespace net
{

// $XDG_CACHE_HOME/veltracdrip/<sub> (or $HOME/.cache/...); nothing is created.
std::string CacheFolder(const std::string& sub);

// The cached file's contents, or nothing when it is missing or unreadable.
std::optional<std::string> ReadCached(const std::string& path);

// Writes the file (its folders created as needed) through a temporary file and a rename, so a
// reader never sees half a file. False when it cannot be written; a lookup goes on without it.
bool WriteCached(const std::string& path, const std::string& contents);

// True when the text may be one level of a cache path (no separators, no "." or "..", no
// control characters): cache names come from the network.
bool IsSafeCacheName(const std::string& name);

} // namespace net
