#include "CommandLine.h"

#include <cstring>

namespace
{

const char kHelp[] =
    "Usage: VeltraCDRip [--help] [--version]\n"
    "The audio-CD ripper's window: lists the tracks of the disc in the first CD drive that\n"
    "answers and rips every ticked track into a file of its own, WAV or MP3, in the output\n"
    "folder.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Other arguments go to Qt (for example -platform offscreen). The output folder and format\n"
    "are kept in VeltraCDRipper.ini, beside the program when its folder is writable, else in\n"
    "$XDG_CONFIG_HOME/veltracdrip. Disc images named in VELTRARIP32_IMAGES (a ':'-separated\n"
    "list of cue sheets or cdrdao toc files) come before real drives.\n";

} // namespace

int AnswerCommandLine(int argc, char** argv, std::FILE* out)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, out);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("VeltraCDRip " VELTRA_VERSION "\n", out);
            return 0;
        }
    }
    return -1;
}
