// mkdiscimage: writes a disc image for tests, benchmarks and the demo disc.
#include "discimage/DiscImage.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{

void Usage(FILE* out)
{
    std::fputs(
        "usage: mkdiscimage [options] OUTPUT\n"
        "Writes OUTPUT.cue (or OUTPUT.toc) and OUTPUT.bin (or the files --files names).\n"
        "  --tracks L1,L2,...  audio track lengths: frames (75 a second) or minutes:seconds\n"
        "  --first N           number of the first track (default 1)\n"
        "  --data LENGTH       add a data track after the audio, placed as on an Enhanced CD\n"
        "  --tones             pleasant tones instead of the self-describing test pattern\n"
        "  --silence           silent audio\n"
        "  --pcm FILE          audio from FILE, raw 16-bit little-endian stereo at 44.1 kHz,\n"
        "                      taken by the tracks in order; a FILE shorter than the tracks\n"
        "                      is refused, and what is left after them is not used\n"
        "  --toc               write a cdrdao toc file instead of a cue sheet (audio only)\n"
        "  --files bin|wav|flac  the cue sheet's data: one BINARY file OUTPUT.bin (default);\n"
        "                      one WAVE file per track, \"OUTPUT - NN.wav\", each track's pregap\n"
        "                      at the end of the file before (EAC's layout); or one OUTPUT.flac\n"
        "  --hidden LENGTH     audio before track 1 (INDEX 00 at 00:00:00, INDEX 01 after it)\n"
        "  --pregap LENGTH     an INDEX 00 this long before every later track's INDEX 01\n"
        "CD-Text and codes, written into the cue sheet (texts in UTF-8, without quotation\n"
        "marks or line breaks):\n"
        "  --title TEXT, --performer TEXT, --songwriter TEXT   the album's\n"
        "  --track-title N=TEXT, --track-performer N=TEXT, --track-songwriter N=TEXT\n"
        "                      track N's (N the track's number on the disc)\n"
        "  --isrc N=CODE       track N's ISRC (CCOOOYYNNNNN)\n"
        "  --catalog MCN       the disc's catalogue number (13 digits)\n"
        "The test pattern stores in every sample its frame number and its index in the frame,\n"
        "so a rip can be compared byte for byte.\n",
        out);
}

} // namespace

int main(int argc, char** argv)
{
    discimage::DiscLayout layout;
    std::string output;
    try {
        for (int i = 1; i < argc; ++i) {
            std::string arg = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc) throw std::runtime_error(arg + " needs a value");
                return argv[++i];
            };
            if (arg == "--tracks")
                layout.audioLengths = discimage::ParseLengths(value());
            else if (arg == "--first")
                layout.firstTrack = std::stoi(value());
            else if (arg == "--data")
                layout.dataLength = discimage::ParseLength(value());
            else if (arg == "--tones")
                layout.audio = discimage::Audio::Tones;
            else if (arg == "--silence")
                layout.audio = discimage::Audio::Silence;
            else if (arg == "--pcm") {
                layout.audio = discimage::Audio::Pcm;
                layout.pcmPath = value();
            } else if (arg == "--toc")
                layout.format = discimage::Format::Toc;
            else if (arg == "--hidden")
                layout.hidden = discimage::ParseLength(value());
            else if (arg == "--pregap")
                layout.pregap = discimage::ParseLength(value());
            else if (arg == "--files") {
                const std::string files = value();
                if (files == "bin")
                    layout.files = discimage::Files::Binary;
                else if (files == "wav")
                    layout.files = discimage::Files::WavePerTrack;
                else if (files == "flac")
                    layout.files = discimage::Files::Flac;
                else
                    throw std::runtime_error("--files takes bin, wav or flac");
            } else if (arg == "--title") {
                layout.album.title = value();
            } else if (arg == "--performer") {
                layout.album.performer = value();
            } else if (arg == "--songwriter") {
                layout.album.songwriter = value();
            } else if (arg == "--catalog") {
                layout.catalog = value();
            } else if (arg == "--track-title" || arg == "--track-performer" ||
                       arg == "--track-songwriter" || arg == "--isrc") {
                const std::string v = value();
                const size_t eq = v.find('=');
                size_t used = 0;
                int number = 0;
                try {
                    number = std::stoi(v.substr(0, eq), &used);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (eq == std::string::npos || used != eq || number < 1 || number > 99)
                    throw std::runtime_error(arg + " takes N=TEXT with a track number N");
                discimage::DiscTexts& t = layout.trackTexts[number];
                (arg == "--track-title"       ? t.title
                 : arg == "--track-performer" ? t.performer
                 : arg == "--isrc"            ? t.isrc
                                              : t.songwriter) = v.substr(eq + 1);
            } else if (arg == "--help" || arg == "-h") {
                Usage(stdout);
                return 0;
            } else if (!arg.empty() && arg[0] == '-')
                throw std::runtime_error("unknown option " + arg);
            else
                output = arg;
        }
        if (output.empty() || layout.audioLengths.empty()) {
            Usage(stderr);
            return 2;
        }
        auto image = discimage::WriteDiscImage(layout, output);
        std::printf("%s\n", image.descriptorPath.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdiscimage: %s\n", e.what());
        return 1;
    }
}
