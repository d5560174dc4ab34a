#include "ConsoleRipper.h"

#include "app/cd/Drive.h"
#include "app/shell/CurrentSettings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "usage: veltracdrip-cli [options]\n"
    "Lists the tracks of the disc in the first CD drive that answers.\n"
    "  --image PATH   use a disc image (cue/bin or cdrdao toc) instead of a drive\n"
    "  --list         list the tracks (the default)\n"
    "  --help         show this text\n"
    "Disc images named in VELTRARIP32_IMAGES (a ':'-separated list) come before real drives.\n";

void PrintTrackList(const TrackList& list)
{
    if (list.empty()) {
        std::printf("No audio disc found.\n");
        return;
    }
    std::printf("%-4s %-12s %-6s %10s %10s\n", "Row", "Name", "Time", "Start", "Frames");
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackRow& r = list.row(i);
        std::printf("%-4zu %-12s %-6s %10u %10u\n", i + 1, r.name.c_str(), r.time.c_str(),
                    r.record.startFrame, r.record.length);
    }
}

} // namespace

int RunConsoleRipper(int argc, char** argv)
{
    std::string image;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--image" && i + 1 < argc) {
            image = argv[++i];
        } else if (arg == "--list") {
        } else {
            std::fprintf(stderr, "veltracdrip-cli: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    // The image goes first in the drive list, before every real drive.
    if (!image.empty()) setenv("VELTRARIP32_IMAGES", image.c_str(), 1);

    LoadSettings();
    TrackList list;
    RefreshTrackList(list);
    if (g_drive.handle == 0) {
        std::fprintf(stderr, "veltracdrip-cli: no drive or disc image could be opened\n");
        return 1;
    }
    PrintTrackList(list);
    return 0;
}
