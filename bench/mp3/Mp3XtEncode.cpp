// mp3_xt_encode <type> <input.wav> <output folder> <name>: the PCM after the 44-byte header
// through xtEncode in 4096-byte pieces, then xtFlush and xtClose, with the options the rip sets
// (ApplyStreamOptions: 192 kbit/s, at most 320 in VBR, preset 2, VBR quality 5, stereo, MPEG-1,
// no tag).
#include "app/rip/StreamOptions.h"

#include "Veltraenc.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: mp3_xt_encode TYPE INPUT.wav FOLDER NAME\n");
        return 2;
    }
    const int type = std::atoi(argv[1]);
    std::FILE* in = std::fopen(argv[2], "rb");
    if (!in || std::fseek(in, 44, SEEK_SET) != 0) return 1;
    if (!xtEncoderAvail(type)) {
        std::fprintf(stderr, "mp3_xt_encode: encoder type %d is not available\n", type);
        return 1;
    }
    const StreamHandle h = xtGetEncoder(type);
    if (!h) return 1;
    // The very options a rip sets, from the rip's own function.
    TrackRecord track{};
    std::snprintf(track.name, sizeof track.name, "%s", argv[4]);
    track.rowNumber = 1;
    track.ripFlag = 1;
    ApplyStreamOptions(h, track, StreamTarget{argv[3], false});
    if (!xtOpenOutputFile(h) || !xtInit(h)) return 1;
    std::vector<unsigned char> piece(4096);
    for (size_t n; (n = std::fread(piece.data(), 1, piece.size(), in)) > 0;)
        xtEncode(h, piece.data(), static_cast<int>(n));
    std::fclose(in);
    xtFlush(h);
    return xtClose(h) == 1 ? 0 : 1;
}
