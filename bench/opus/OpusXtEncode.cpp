// opus_xt_encode <input.wav> <output folder> <name> <kbit/s>: the PCM after the 44-byte header
// through xtEncode in 4096-byte pieces, then xtFlush and xtClose, as the rip does.
#include "Veltraenc.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: opus_xt_encode INPUT.wav FOLDER NAME KBPS\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in || std::fseek(in, 44, SEEK_SET) != 0) return 1;
    const StreamHandle h = xtGetEncoder(XT_ENCODER_OPUS);
    if (!h || !xtEncoderAvail(XT_ENCODER_OPUS)) return 1;
    if (!xtSetIntOption(h, OPUS_BITRATE, std::atoi(argv[4]))) return 2;
    xtSetAsciiOption(h, ID3_TITLE, argv[3]);
    xtSetAsciiOption(h, OUTPUT_DIR, argv[2]);
    xtSetAsciiOption(h, FILE_NAME, argv[3]);
    if (!xtOpenOutputFile(h) || !xtInit(h)) return 1;
    std::vector<unsigned char> piece(4096);
    for (size_t n; (n = std::fread(piece.data(), 1, piece.size(), in)) > 0;)
        xtEncode(h, piece.data(), static_cast<int>(n));
    std::fclose(in);
    xtFlush(h);
    return xtClose(h) == 1 ? 0 : 1;
}
