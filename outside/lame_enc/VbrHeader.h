// Writing a finished stream's Xing/LAME tag frame over the placeholder frame at the start of
// its MP3 file, after checking that the file is that stream's.
#pragma once

#include <cstdint>
#include <vector>

namespace lameenc
{

// BE_ERR_SUCCESSFUL when written; BE_ERR_INVALID_PARAMETERS when the file cannot be opened, is
// not the stream's (see LameEnc.h) or the write fails. Nothing is changed on refusal.
uint32_t WriteTagFrame(const char* path, const std::vector<uint8_t>& frame, uint64_t streamBytes);

} // namespace lameenc
