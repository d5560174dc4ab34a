// Why the last disc image was refused (its file, the sheet's line, what is wrong), kept for the
// export that lets a program show it.
#pragma once

#include <string>

namespace rip32
{

void SetImageRefusal(const std::string& text);
void ClearImageRefusal();
std::string ImageRefusal();

} // namespace rip32
