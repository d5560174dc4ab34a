#include "CliOptions.h"

#include "app/shell/CurrentSettings.h"

#include <algorithm>
#include <cstdio>
#include <thread>

const char kCliUsage[] =
    "Usage: veltracdrip-cli [options]\n"
    "Rips the audio tracks of the disc in the first CD drive that answers, one file per track.\n"
    "\n"
    "  --list               only list the tracks\n"
    "  --tracks LIST        rip only these rows of the list, e.g. 1,3-5 (default: every audio\n"
    "                       track; a data track is ripped only when named here, as a raw\n"
    "                       image of its sectors, \"Data Track.dat\"); 0 is the audio before\n"
    "                       the first track (a hidden track), as \"Track 00\"\n"
    "  --image PATH         use a disc image (a cue sheet with its data files, or a cdrdao\n"
    "                       toc file) instead of a drive\n"
    "  --out DIR            output folder (default: Path in VeltraCDRipper.ini, else the\n"
    "                       program's folder); not saved\n"
    "  --format FORMAT      output format: wav, mp3, ogg, flac or opus (default: Encode in\n"
    "                       VeltraCDRipper.ini)\n"
    "  --jobs N             encode up to N tracks at once, 1 to 16 (default: the processor\n"
    "                       cores, at most 4); the disc is still read one track after another\n"
    "  --secure             read every stretch of the disc at least twice (up to 16 times) until\n"
    "                       two reads agree on every sample (default: Secure in [Drive]); samples\n"
    "                       no two reads agree on are listed as suspicious and the track is\n"
    "                       \"inexact\"\n"
    "  --test-and-copy      read every track twice, a test pass and the copy, and compare\n"
    "                       their CRC32s; tracks that differ are \"inexact\" unless secure mode\n"
    "                       reads them again the same as one of the passes\n"
    "  --verify             rip every track at full speed, check it against AccurateRip (the\n"
    "                       response of --accuraterip FILE, else looked up as with\n"
    "                       --accuraterip-lookup) and read again in secure mode only the tracks\n"
    "                       that do not match or that the database does not know (default: Verify\n"
    "                       in [Drive]); per track \"accurate (confidence N)\", \"accurate after\n"
    "                       re-read\", \"not in database, secure: exact\", \"NOT accurate, "
    "secure:\n"
    "                       exact\" or \"inexact\"\n"
    "  --overwrite          overwrite existing files without asking; without it the question\n"
    "                       is asked on the terminal, and with no terminal the track is skipped\n"
    "  --cue                write a CUE sheet of the ripped tracks, <CDDB disc id>.cue, into\n"
    "                       the output folder (one FILE per track)\n"
    "  --log                write a rip log, <CDDB disc id>.log, into the output folder\n"
    "  --accuraterip FILE   verify every ripped audio track against this AccurateRip database\n"
    "                       response (the dBAR-NNN-XXXXXXXX-XXXXXXXX-XXXXXXXX.bin file of the\n"
    "                       disc; nothing is fetched from the network)\n"
    "  --accuraterip-lookup look the disc up in the AccurateRip database itself and verify every\n"
    "                       ripped audio track against its response; responses are kept in\n"
    "                       $XDG_CACHE_HOME/veltracdrip/accuraterip/ so the disc verifies offline\n"
    "                       next time. A disc the database does not know, or no answer within\n"
    "                       TimeoutSeconds of [Lookup] (default 10), leaves the rip unverified\n"
    "  --accuraterip-url URL\n"
    "                       the database's base URL for --accuraterip-lookup (default:\n"
    "                       AccurateRipUrl in [Lookup], else\n"
    "                       http://www.accuraterip.com/accuraterip)\n"
    "  --verify-only        read the tracks and report their checksums (and, with --accuraterip,\n"
    "                       whether they are accurate) without writing audio files\n"
    "  --offset N           the drive's read offset in samples, -5880 to 5880, as the\n"
    "                       AccurateRip drive-offset table counts it (+667: the drive delivers\n"
    "                       667 samples early); default: ReadOffset in [Drive] of\n"
    "                       VeltraCDRipper.ini, else the drive's entry in the table, else 0\n"
    "  --offset-table FILE  look the drive up in this AccurateRip drive-offset table\n"
    "                       (DriveOffsets.bin; default: OffsetTable in [Drive])\n"
    "  --overread           with an offset, ask the drive for the lead-in and lead-out samples\n"
    "                       a track reaches into, instead of filling zeros there\n"
    "  --find-offset        with --accuraterip, find the drive's read offset from the disc's\n"
    "                       AccurateRip response and list every candidate; rips nothing\n"
    "  --save               with --find-offset, store the offset as ReadOffset when exactly\n"
    "                       one candidate was found\n"
    "  --lookup             look the disc up (MusicBrainz, then gnudb, then the disc's\n"
    "                       CD-Text) and name and tag the files after what is found\n"
    "  --release N          with --lookup: take the Nth release found (default 1)\n"
    "  --name TEMPLATE      with --lookup: file names from %t (track number), %n (title), %a\n"
    "                       (track artist), %A (album artist), %d (album), %y (year); \"/\"\n"
    "                       makes folders (default: NameFormat in [Lookup], else \"%A/%d/%t %n\")\n"
    "  --musicbrainz-url URL, --gnudb-url URL\n"
    "                       the servers asked (default: MusicBrainzUrl and GnudbUrl in [Lookup])\n"
    "  --cover              with --lookup: embed the release's front cover and write cover.jpg\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "Files are named after the tracks (\"Track 05.wav\"). Ctrl-C cancels the tracks being ripped;\n"
    "their files keep what was ripped so far. Disc images named in VELTRARIP32_IMAGES (a\n"
    "':'-separated list) come before real drives. The exit status is 0 when every track was\n"
    "ripped, 1 when one or more were not or were inexact, 2 for a bad command line, an unusable\n"
    "format or an AccurateRip response that cannot be used for the disc, 3 when every track was\n"
    "ripped but one or more audio tracks did not match the AccurateRip response. --retag exits\n"
    "with 1 when the disc was not found or a file was left as it was, 2 for a log it cannot use.\n";

namespace
{

constexpr int kMaxJobs = 16;
constexpr int kMaxDefaultJobs = 4;
constexpr int kMaxRow = 99;

// Parses "1,3-5" into row numbers (0: the audio before the first track); false on anything
// else.
bool ParseRows(const std::string& text, std::set<int>& rows)
{
    if (text.empty() || text.back() == ',') return false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(pos, comma - pos);
        int a = 0, b = 0;
        char extra = 0;
        if (std::sscanf(item.c_str(), "%d-%d%c", &a, &b, &extra) == 2) {
        } else if (std::sscanf(item.c_str(), "%d%c", &a, &extra) == 1) {
            b = a;
        } else {
            return false;
        }
        if (a < 0 || b < a || b > kMaxRow) return false;
        for (int r = a; r <= b; ++r)
            rows.insert(r);
        pos = comma + 1;
    }
    return !rows.empty();
}

bool ParseJobs(const std::string& text, int& jobs)
{
    int n = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d%c", &n, &extra) != 1 || n < 1 || n > kMaxJobs) return false;
    jobs = n;
    return true;
}

} // namespace

int DefaultJobs()
{
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMaxDefaultJobs);
}

bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error)
{
    options.jobs = DefaultJobs();
    std::string tracks, jobs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        } else if (arg == "--version") {
            options.version = true;
            return true;
        } else if (arg == "--list") {
            options.listOnly = true;
        } else if (arg == "--verify") {
            options.burst = true;
        } else if (arg == "--secure") {
            options.secure = true;
        } else if (arg == "--test-and-copy") {
            options.testAndCopy = true;
        } else if (arg == "--overwrite") {
            options.overwrite = true;
        } else if (arg == "--image") {
            ok = value(options.image);
        } else if (arg == "--out") {
            ok = value(options.out);
        } else if (arg == "--format") {
            ok = value(options.format);
        } else if (arg == "--tracks") {
            ok = value(tracks);
        } else if (arg == "--jobs") {
            ok = value(jobs);
            if (ok && !ParseJobs(jobs, options.jobs)) {
                error = "bad job count \"" + jobs + "\" (1 to 16)";
                return false;
            }
        } else if (arg == "--cue") {
            options.verify.cue = true;
        } else if (arg == "--log") {
            options.verify.log = true;
        } else if (arg == "--verify-only") {
            options.verify.verifyOnly = true;
        } else if (arg == "--offset") {
            std::string text;
            ok = value(text);
            if (ok && !(options.offset = ParseReadOffset(text))) {
                error = "bad read offset \"" + text + "\" (samples, -5880 to 5880)";
                return false;
            }
        } else if (arg == "--overread") {
            options.overread = true;
        } else if (arg == "--offset-table") {
            ok = value(options.offsetTable) && !options.offsetTable.empty();
        } else if (arg == "--find-offset") {
            options.findOffset = true;
        } else if (arg == "--save") {
            options.save = true;
        } else if (arg == "--accuraterip-lookup") {
            options.verify.lookup = true;
        } else if (arg == "--accuraterip-url") {
            ok = value(options.verify.lookupUrl) && !options.verify.lookupUrl.empty();
        } else if (arg == "--accuraterip") {
            ok = value(options.verify.response) && !options.verify.response.empty();
        } else if (arg == "--retag") {
            ok = value(options.retag) && !options.retag.empty();
        } else if (arg == "--lookup") {
            options.lookup.lookup = true;
        } else if (arg == "--cover") {
            options.lookup.cover = true;
        } else if (arg == "--release") {
            std::string n;
            char extra = 0;
            ok = value(n) && std::sscanf(n.c_str(), "%d%c", &options.lookup.release, &extra) == 1 &&
                 options.lookup.release >= 1;
        } else if (arg == "--name" || arg == "--musicbrainz-url" || arg == "--gnudb-url") {
            std::string v;
            ok = value(v);
            (arg == "--name"        ? options.lookup.name
             : arg == "--gnudb-url" ? options.lookup.gnudbUrl
                                    : options.lookup.musicBrainzUrl) = v;
        } else {
            ok = false;
        }
        if (!ok) {
            error = "bad option " + arg + " (see --help)";
            return false;
        }
    }
    options.tracksGiven = !tracks.empty();
    if (options.tracksGiven && !ParseRows(tracks, options.rows)) {
        error = "bad track list \"" + tracks + "\" (rows, e.g. 1,3-5)";
        return false;
    }
    if (options.findOffset && options.verify.response.empty()) {
        error = "--find-offset needs the disc's AccurateRip response (--accuraterip FILE)";
        return false;
    }
    if (options.save && !options.findOffset) {
        error = "--save stores the offset --find-offset finds";
        return false;
    }
    if (options.verify.lookup && !options.verify.response.empty()) {
        error = "--accuraterip FILE and --accuraterip-lookup exclude each other";
        return false;
    }
    if (options.testAndCopy && options.verify.verifyOnly) {
        error = "--test-and-copy writes the copy; --verify-only writes nothing";
        return false;
    }
    if (!options.retag.empty() &&
        (!options.image.empty() || !options.out.empty() || !options.format.empty() ||
         options.tracksGiven || options.listOnly || options.verify.Active() || options.offset ||
         options.overread || !options.offsetTable.empty() || options.findOffset || options.secure ||
         options.burst || options.testAndCopy)) {
        error = "--retag takes only --release, --name, --cover and the server options";
        return false;
    }
    if (options.verify.verifyOnly && options.verify.cue) {
        error = "--cue describes the audio files, which --verify-only does not write";
        return false;
    }
    return true;
}
