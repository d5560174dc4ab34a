#include "Disc.h"

#include <algorithm>
#include <cdio/logging.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace rip32
{

namespace
{

// libcdio's default handler writes warnings to standard output and ends the process on an
// error; a library must do neither.
void LogHandler(cdio_log_level_t level, const char* message)
{
    if (level >= CDIO_LOG_WARN && std::getenv("VELTRARIP32_LOG"))
        std::fprintf(stderr, "Veltrarip32: %s\n", message);
}

__attribute__((constructor)) void InstallLogHandler()
{
    cdio_log_set_handler(LogHandler);
}

void PutBigEndian(uint8_t* out, uint32_t v)
{
    out[0] = static_cast<uint8_t>(v >> 24);
    out[1] = static_cast<uint8_t>(v >> 16);
    out[2] = static_cast<uint8_t>(v >> 8);
    out[3] = static_cast<uint8_t>(v);
}

void PutAddress(uint8_t* out, lsn_t lsn, uint32_t form)
{
    if (form == 1) {
        const uint32_t abs = static_cast<uint32_t>(lsn) + CD_LEAD_IN_FRAMES;
        out[0] = 0;
        out[1] = static_cast<uint8_t>(abs / CD_FRAMES_PER_MINUTE);
        out[2] = static_cast<uint8_t>((abs / CD_FRAMES_PER_SECOND) % 60);
        out[3] = static_cast<uint8_t>(abs % CD_FRAMES_PER_SECOND);
    } else {
        PutBigEndian(out, static_cast<uint32_t>(lsn));
    }
}

} // namespace

namespace
{

// libcdio's image parsers can crash on malformed files (a division by zero in its toc parser,
// for one). The user names the files, so try each one first in a child process: an image the
// child cannot open, read the table of contents of and read a frame from does not open.
bool ImageSurvivesProbe(const std::string& source)
{
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        alarm(10);
        if (CdIo_t* cdio = cdio_open(source.c_str(), DRIVER_UNKNOWN)) {
            const track_t first = cdio_get_first_track_num(cdio);
            const track_t last = cdio_get_last_track_num(cdio);
            if (first != CDIO_INVALID_TRACK && last != CDIO_INVALID_TRACK && first <= last) {
                for (int t = first; t <= last; ++t) {
                    cdio_get_track_lsn(cdio, static_cast<track_t>(t));
                    cdio_get_track_format(cdio, static_cast<track_t>(t));
                    cdio_get_track_copy_permit(cdio, static_cast<track_t>(t));
                    cdio_get_track_preemphasis(cdio, static_cast<track_t>(t));
                }
                cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
                static uint8_t frame[CD_FRAME_BYTES];
                cdio_read_audio_sectors(cdio, frame, 0, 1);
            }
            cdio_destroy(cdio);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

std::unique_ptr<Disc> Disc::Open(const std::string& source, bool image)
{
    if (source.empty()) return nullptr;
    if (image) {
        struct stat st {
        };
        if (stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
        if (!ImageSurvivesProbe(source)) return nullptr;
    }
    CdIo_t* cdio = cdio_open(source.c_str(), image ? DRIVER_UNKNOWN : DRIVER_DEVICE);
    if (!cdio) return nullptr;
    std::unique_ptr<Disc> disc(new Disc);
    disc->cdio_ = cdio;
    disc->image_ = image;
    if (image) disc->faults_.Load(source + ".faults");
    // A cue image keeps every frame at frame number x CD_FRAME_BYTES in one data file.
    if (image && cdio_get_driver_id(cdio) == DRIVER_BINCUE) {
        if (const char* bin = cdio_get_arg(cdio, "source")) {
            disc->dataFile_ = bin;
            disc->dataFd_ = ::open(bin, O_RDONLY | O_CLOEXEC);
        }
    }
    return disc;
}

Disc::~Disc()
{
    if (dataFd_ >= 0) ::close(dataFd_);
    if (cdio_) cdio_destroy(cdio_);
}

int64_t Disc::DataFileSize() const
{
    struct stat st {
    };
    // The descriptor sees the file shrink just as libcdio's own reads do.
    const int result = dataFd_ >= 0 ? fstat(dataFd_, &st) : stat(dataFile_.c_str(), &st);
    return result == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

void Disc::SetParameter(uint32_t parameter, uint32_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    switch (parameter) {
    case CD_PARM_TOC_ADDRESS_FORM:
        addressForm_ = value;
        break;
    case CD_PARM_CHECK_FRAMES:
        checkFrames_ = value;
        break;
    case CD_PARM_OVERLAP_FRAMES:
        overlapFrames_ = value;
        break;
    case CD_PARM_JITTER_MODE:
        jitterMode_ = value;
        break;
    default:
        break;
    }
}

uint32_t Disc::ReadToc(CDTocRecord& toc)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t last = cdio_get_last_track_num(cdio_);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || first == 0 || last < first ||
        last - first + 2 > CD_TOC_MAX_DESCRIPTORS)
        return CD_STATUS_NO_DISC;

    CDTocRecord out{};
    out.firstTrack = first;
    out.lastTrack = last;
    int n = 0;
    for (int t = first; t <= last + 1; ++t, ++n) {
        const bool leadout = t == last + 1;
        const track_t track =
            leadout ? static_cast<track_t>(CDIO_CDROM_LEADOUT_TRACK) : static_cast<track_t>(t);
        const lsn_t lsn = cdio_get_track_lsn(cdio_, track);
        if (lsn == CDIO_INVALID_LSN || lsn < 0) return CD_STATUS_NO_DISC;
        uint8_t control = 0;
        if (!leadout) {
            if (cdio_get_track_format(cdio_, track) != TRACK_FORMAT_AUDIO)
                control |= CD_TOC_CONTROL_DATA;
            if (cdio_get_track_copy_permit(cdio_, track) == CDIO_TRACK_FLAG_TRUE) control |= 0x02;
            if (cdio_get_track_preemphasis(cdio_, track) == CDIO_TRACK_FLAG_TRUE) control |= 0x01;
        }
        CDTocDescriptor& d = out.descriptors[n];
        d.adrControl = static_cast<uint8_t>(0x10 | control);
        d.trackNumber = leadout ? CD_TOC_LEADOUT : static_cast<uint8_t>(t);
        PutAddress(d.address, lsn, addressForm_);
    }
    const uint32_t length = 2 + 8u * static_cast<uint32_t>(n);
    out.dataLength[0] = static_cast<uint8_t>(length >> 8);
    out.dataLength[1] = static_cast<uint8_t>(length);
    toc = out;
    return CD_STATUS_OK;
}

bool Disc::Fits(const CDSectorHeader& buffer)
{
    return buffer.frameCount > 0 &&
           static_cast<uint64_t>(buffer.frameCount) * CD_FRAME_BYTES <= buffer.bufferLength;
}

void Disc::Delay(const FaultPlan::Outcome& fault)
{
    if (fault.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
}

bool Disc::OnDisc(uint32_t first, uint32_t count)
{
    // No drive reads past the lead-out.
    const lsn_t leadout = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN || static_cast<int64_t>(first) + count > leadout) return false;
    // An image file that lost its end after it was opened: libcdio fills what is gone from its
    // buffers and reports success, so look at the file itself.
    if (!dataFile_.empty()) {
        const int64_t size = DataFileSize();
        return size >= 0 && (static_cast<int64_t>(first) + count) * CD_FRAME_BYTES <= size;
    }
    return true;
}

bool Disc::ReadFrames(int64_t first, uint32_t count, uint8_t* out)
{
    const lsn_t leadout = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN) return false;
    int64_t begin = std::max<int64_t>(first, 0);
    int64_t end = std::min<int64_t>(first + count, leadout);
    if (begin > first || end < first + static_cast<int64_t>(count))
        std::memset(out, 0, static_cast<size_t>(count) * CD_FRAME_BYTES);
    // Callers only ask for frames on the disc (OnDisc); the overlapped read's slack may reach
    // beyond it, where a drive gives nothing.
    while (begin < end) {
        const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(end - begin, 64));
        uint8_t* dest = out + (begin - first) * CD_FRAME_BYTES;
        if (cdio_read_audio_sectors(cdio_, dest, static_cast<lsn_t>(begin), n) != DRIVER_OP_SUCCESS)
            return false;
        // An image driver reports a read that ran out of file after its first frame as a
        // success; its last frame read alone fails when the file is too short. (A cue image's
        // file size is checked before the read instead.)
        if (n > 1 && image_ && dataFile_.empty() &&
            cdio_read_audio_sectors(cdio_, dest + (n - 1) * CD_FRAME_BYTES,
                                    static_cast<lsn_t>(begin + n - 1), 1) != DRIVER_OP_SUCCESS)
            return false;
        begin += n;
    }
    return true;
}

bool Disc::ReadBytes(int64_t pos, size_t size, uint8_t* out)
{
    const int64_t firstFrame =
        pos >= 0 ? pos / CD_FRAME_BYTES : -((-pos + CD_FRAME_BYTES - 1) / CD_FRAME_BYTES);
    const int64_t endPos = pos + static_cast<int64_t>(size);
    const int64_t endFrame = (endPos + CD_FRAME_BYTES - 1) / CD_FRAME_BYTES;
    const uint32_t count = static_cast<uint32_t>(endFrame - firstFrame);
    frames_.resize(static_cast<size_t>(count) * CD_FRAME_BYTES);
    if (!ReadFrames(firstFrame, count, frames_.data())) return false;
    std::memcpy(out, frames_.data() + (pos - firstFrame * CD_FRAME_BYTES), size);
    return true;
}

uint32_t Disc::ReadPlain(CDSectorHeader& buffer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Fits(buffer) || !OnDisc(buffer.startFrame, buffer.frameCount)) return CD_STATUS_ERROR;
    const FaultPlan::Outcome fault = faults_.Attempt(buffer.startFrame, buffer.frameCount);
    Delay(fault);
    if (fault.status != CD_STATUS_OK) return fault.status;
    // A plain read cannot vouch for the alignment of shifted data.
    if (fault.shift != 0) return CD_STATUS_RETRY;
    if (!ReadFrames(buffer.startFrame, buffer.frameCount, CD_SECTOR_DATA(&buffer)))
        return CD_STATUS_ERROR;
    buffer.dataOffset = 0;
    buffer.bytesReturned = buffer.frameCount * CD_FRAME_BYTES;
    return CD_STATUS_OK;
}

uint32_t Disc::ReadOverlapped(CDSectorHeader& buffer, const CDSectorHeader* reference)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Fits(buffer) || !OnDisc(buffer.startFrame, buffer.frameCount)) return CD_STATUS_ERROR;
    const uint32_t start = buffer.startFrame, count = buffer.frameCount;
    const size_t want = static_cast<size_t>(count) * CD_FRAME_BYTES;

    const bool haveReference =
        reference && reference->bytesReturned > 0 &&
        static_cast<uint64_t>(reference->dataOffset) + reference->bytesReturned <=
            reference->bufferLength &&
        reference->startFrame < start;
    const uint32_t refStart = haveReference ? reference->startFrame : start;
    const FaultPlan::Outcome fault = faults_.Attempt(refStart, start + count - refStart);
    Delay(fault);
    if (fault.status != CD_STATUS_OK) return fault.status;

    if (!haveReference) {
        // Nothing to align on: only data the drive delivers unshifted can be vouched for.
        if (fault.shift != 0) return CD_STATUS_RETRY;
        if (!ReadFrames(start, count, CD_SECTOR_DATA(&buffer))) return CD_STATUS_ERROR;
        buffer.dataOffset = 0;
        buffer.bytesReturned = static_cast<uint32_t>(want);
        return CD_STATUS_OK;
    }

    // Read the reference's place and the request with two frames of slack on either side, as
    // the drive delivers it (shifted by the simulated jitter), then find the reference in it.
    const uint8_t* ref = CD_SECTOR_DATA(reference) + reference->dataOffset;
    const size_t refBytes = reference->bytesReturned;
    const int64_t slack = 2 * CD_FRAME_BYTES;
    const int64_t base = static_cast<int64_t>(refStart) * CD_FRAME_BYTES - slack;
    const int64_t end = (static_cast<int64_t>(start) + count) * CD_FRAME_BYTES + slack;
    scratch_.resize(static_cast<size_t>(end - base));
    if (!ReadBytes(base + fault.shift, scratch_.size(), scratch_.data())) return CD_STATUS_ERROR;

    const int64_t expected = static_cast<int64_t>(refStart) * CD_FRAME_BYTES - base;
    int64_t found = -1;
    for (int64_t delta = 0; delta <= slack && found < 0; ++delta) {
        for (int64_t k : {expected - delta, expected + delta}) {
            if (k < 0 || k + static_cast<int64_t>(refBytes) > static_cast<int64_t>(scratch_.size()))
                continue;
            if (std::memcmp(scratch_.data() + k, ref, refBytes) == 0) {
                found = k;
                break;
            }
        }
    }
    if (found < 0) return CD_STATUS_RETRY;
    const int64_t from = found + (static_cast<int64_t>(start) - refStart) * CD_FRAME_BYTES;
    if (from < 0 || from + static_cast<int64_t>(want) > static_cast<int64_t>(scratch_.size()))
        return CD_STATUS_RETRY;
    std::memcpy(CD_SECTOR_DATA(&buffer), scratch_.data() + from, want);
    buffer.dataOffset = 0;
    buffer.bytesReturned = static_cast<uint32_t>(want);
    return CD_STATUS_OK;
}

} // namespace rip32
