// The user's folders as the XDG conventions name them, for an installed program whose own
// folder its users cannot write.
#pragma once

#include <string>

namespace plat
{

// $XDG_CONFIG_HOME, else $HOME/.config.
std::string UserConfigFolder();
// XDG_MUSIC_DIR of the user's user-dirs.dirs, else $HOME/Music.
std::string UserMusicFolder();
// True when files can be created in the folder.
bool IsWritableFolder(const std::string& folder);

} // namespace plat
