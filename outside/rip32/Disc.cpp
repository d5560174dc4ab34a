#include "Disc.h"

#include "ImageRefusal.h"

#include <algorithm>
#include <cdio/logging.h>
#include <cdio/mmc_ll_cmds.h>
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
        if (stat(source.c_str(), &st) != 0) {
            SetImageRefusal(source + ": " +
                            (errno == ENOENT ? "no such file" : std::strerror(errno)));
            return nullptr;
        }
        if (!S_ISREG(st.st_mode)) {
            SetImageRefusal(source + ": not a file");
            return nullptr;
        }
        if (IsCueSheetPath(source)) {
            std::string refusal;
            auto cue = CueImage::Open(source, refusal);
            if (!cue) {
                SetImageRefusal(refusal);
                return nullptr;
            }
            std::unique_ptr<Disc> disc(new Disc);
            disc->cue_ = std::move(cue);
            disc->image_ = true;
            disc->source_ = source;
            disc->faults_.Load(source + ".faults");
            std::vector<std::string> files{source, source + ".faults"};
            for (const std::string& data : disc->cue_->dataPaths())
                files.push_back(data);
            disc->stamp_.Take(std::move(files));
            disc->Seed(source);
            return disc;
        }
        if (!ImageSurvivesProbe(source)) {
            SetImageRefusal(source + ": not a disc image that can be read");
            return nullptr;
        }
    }
    CdIo_t* cdio = cdio_open(source.c_str(), image ? DRIVER_UNKNOWN : DRIVER_DEVICE);
    if (!cdio) {
        if (image) SetImageRefusal(source + ": not a disc image that can be read");
        return nullptr;
    }
    std::unique_ptr<Disc> disc(new Disc);
    disc->cdio_ = cdio;
    disc->image_ = image;
    disc->source_ = source;
    if (!image) return disc;
    disc->faults_.Load(source + ".faults");
    // A cue image keeps every frame at frame number x CD_FRAME_BYTES in one data file.
    if (cdio_get_driver_id(cdio) == DRIVER_BINCUE) {
        if (const char* bin = cdio_get_arg(cdio, "source")) {
            disc->dataFile_ = bin;
            disc->dataFd_ = ::open(bin, O_RDONLY | O_CLOEXEC);
        }
    }
    std::vector<std::string> files{source, source + ".faults"};
    if (!disc->dataFile_.empty()) files.push_back(disc->dataFile_);
    disc->stamp_.Take(std::move(files));
    disc->Seed(source);
    return disc;
}

void Disc::Seed(const std::string& source)
{
    // FNV-1a of the image's name.
    const size_t slash = source.find_last_of('/');
    seed_ = 14695981039346656037ull;
    for (char c : source.substr(slash == std::string::npos ? 0 : slash + 1))
        seed_ = (seed_ ^ static_cast<uint8_t>(c)) * 1099511628211ull;
}

bool Disc::Refresh()
{
    if (!image_) {
        if (cdio_) cdio_destroy(cdio_);
        cdio_ = cdio_open(source_.c_str(), DRIVER_DEVICE);
        retry_.Succeeded();
        return cdio_ != nullptr;
    }
    if (!stamp_.Changed()) return cdio_ != nullptr || cue_ != nullptr;
    std::unique_ptr<Disc> fresh = Open(source_, true);
    if (cdio_) cdio_destroy(cdio_);
    cdio_ = nullptr;
    if (!fresh) {
        // A rewrite that does not open is no disc until it changes again.
        stamp_.Retake();
        return false;
    }
    std::swap(cdio_, fresh->cdio_);
    std::swap(cue_, fresh->cue_);
    // The fault file is read again only when it changed: an eject stays spent.
    if (fresh->faults_.text() != faults_.text()) faults_ = std::move(fresh->faults_);
    dataFile_ = fresh->dataFile_;
    std::swap(dataFd_, fresh->dataFd_);
    stamp_ = fresh->stamp_;
    return true;
}

bool Disc::Identify(CDDriveInquiry& out)
{
    std::lock_guard<std::mutex> lock(mutex_);
    out = CDDriveInquiry{};
    std::string vendor, model, revision;
    if (image_) {
        if (!faults_.HasDriveModel()) return false;
        vendor = faults_.vendor();
        model = faults_.model();
    } else {
        cdio_hwinfo_t hw{};
        if (!cdio_ || !cdio_get_hwinfo(cdio_, &hw)) return false;
        vendor = hw.psz_vendor;
        model = hw.psz_model;
        revision = hw.psz_revision;
    }
    auto put = [](char* dest, size_t size, std::string text) {
        while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
            text.pop_back();
        std::snprintf(dest, size, "%s", text.c_str());
    };
    put(out.vendor, sizeof out.vendor, vendor);
    put(out.model, sizeof out.model, model);
    put(out.revision, sizeof out.revision, revision);
    return out.vendor[0] || out.model[0];
}

std::shared_ptr<const DiscText> Disc::Text()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_ || (!cdio_ && !cue_)) return std::make_shared<const DiscText>();
    if (!text_) {
        if (cue_) {
            const size_t slash = source_.find_last_of('/');
            text_ = std::make_shared<const DiscText>(DiscTextFromCue(
                cue_->sheet(), slash == std::string::npos ? "." : source_.substr(0, slash)));
        } else {
            text_ = std::make_shared<const DiscText>(DiscTextFromCdio(cdio_));
        }
    }
    return text_;
}

Disc::~Disc()
{
    if (dataFd_ >= 0) ::close(dataFd_);
    if (readLog_) std::fclose(readLog_);
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
    present_ = Refresh() && !faults_.TakeEject() && ReadTocLocked(toc);
    text_.reset();
    return present_ ? CD_STATUS_OK : CD_STATUS_NO_DISC;
}

bool Disc::ReadTocLocked(CDTocRecord& toc)
{
    if (cue_) {
        cue_->ReadToc(toc, addressForm_);
        return true;
    }
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t last = cdio_get_last_track_num(cdio_);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || first == 0 || last < first ||
        last - first + 2 > CD_TOC_MAX_DESCRIPTORS)
        return false;

    CDTocRecord out{};
    out.firstTrack = first;
    out.lastTrack = last;
    int n = 0;
    for (int t = first; t <= last + 1; ++t, ++n) {
        const bool leadout = t == last + 1;
        const track_t track =
            leadout ? static_cast<track_t>(CDIO_CDROM_LEADOUT_TRACK) : static_cast<track_t>(t);
        const lsn_t lsn = cdio_get_track_lsn(cdio_, track);
        if (lsn == CDIO_INVALID_LSN || lsn < 0) return false;
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
    return true;
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

bool Disc::WithinOverread(int64_t first, uint32_t count, int64_t leadout)
{
    return first >= -kOverreadFrames && first + count <= leadout + kOverreadFrames;
}

bool Disc::OnDisc(int64_t first, uint32_t count)
{
    // No drive reads past the lead-out, unless the simulated one overreads.
    const int64_t leadout = Leadout();
    if (leadout < 0) return false;
    if (first < 0 || first + count > leadout) {
        if (!image_ || !faults_.overread() || !WithinOverread(first, count, leadout)) return false;
        if (first + count <= 0 || first >= leadout) return true;
        const int64_t from = std::max<int64_t>(first, 0);
        count = static_cast<uint32_t>(std::min<int64_t>(first + count, leadout) - from);
        first = from;
    }
    // The cue-sheet reader checks its data files itself.
    if (cue_) return true;
    // An image file that lost its end after it was opened: libcdio fills what is gone from its
    // buffers and reports success, so look at the file itself.
    if (!dataFile_.empty()) {
        const int64_t size = DataFileSize();
        return size >= 0 && (first + count) * CD_FRAME_BYTES <= size;
    }
    return true;
}

int64_t Disc::Leadout()
{
    if (cue_) return cue_->leadout();
    const lsn_t leadout = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
    return leadout == CDIO_INVALID_LSN ? -1 : leadout;
}

driver_return_code_t Disc::ReadFrames(int64_t first, uint32_t count, uint8_t* out)
{
    const int64_t leadout = Leadout();
    if (leadout < 0) return DRIVER_OP_ERROR;
    int64_t begin = std::max<int64_t>(first, 0);
    int64_t end = std::min<int64_t>(first + count, leadout);
    if (begin > first || end < first + static_cast<int64_t>(count)) {
        std::memset(out, 0, static_cast<size_t>(count) * CD_FRAME_BYTES);
        if (image_ && faults_.overread()) {
            const int64_t samples = static_cast<int64_t>(count) * (CD_FRAME_BYTES / 4);
            for (int64_t i = 0; i < samples; ++i) {
                const int64_t frame = first + i / (CD_FRAME_BYTES / 4);
                if (frame < 0) std::memcpy(out + i * 4, kLeadInSample, 4);
                if (frame >= leadout) std::memcpy(out + i * 4, kLeadOutSample, 4);
            }
        }
    }
    // Callers only ask for frames on the disc (OnDisc); the overlapped read's slack may reach
    // beyond it, where a drive gives nothing.
    if (cue_ && begin < end)
        return cue_->ReadFrames(begin, static_cast<uint32_t>(end - begin),
                                out + (begin - first) * CD_FRAME_BYTES)
                   ? DRIVER_OP_SUCCESS
                   : DRIVER_OP_ERROR;
    while (begin < end) {
        const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(end - begin, 64));
        uint8_t* dest = out + (begin - first) * CD_FRAME_BYTES;
        const driver_return_code_t result =
            cdio_read_audio_sectors(cdio_, dest, static_cast<lsn_t>(begin), n);
        if (result != DRIVER_OP_SUCCESS) return result;
        // An image driver reports a read that ran out of file after its first frame as a
        // success; its last frame read alone fails when the file is too short. (A cue image's
        // file size is checked before the read instead.)
        if (n > 1 && image_ && dataFile_.empty() &&
            cdio_read_audio_sectors(cdio_, dest + (n - 1) * CD_FRAME_BYTES,
                                    static_cast<lsn_t>(begin + n - 1), 1) != DRIVER_OP_SUCCESS)
            return DRIVER_OP_ERROR;
        begin += n;
    }
    return DRIVER_OP_SUCCESS;
}

driver_return_code_t Disc::ReadBytes(int64_t pos, size_t size, uint8_t* out)
{
    const int64_t firstFrame =
        pos >= 0 ? pos / CD_FRAME_BYTES : -((-pos + CD_FRAME_BYTES - 1) / CD_FRAME_BYTES);
    const int64_t endPos = pos + static_cast<int64_t>(size);
    const int64_t endFrame =
        endPos >= 0 ? (endPos + CD_FRAME_BYTES - 1) / CD_FRAME_BYTES : -(-endPos / CD_FRAME_BYTES);
    const uint32_t count = static_cast<uint32_t>(endFrame - firstFrame);
    frames_.resize(static_cast<size_t>(count) * CD_FRAME_BYTES);
    const driver_return_code_t result = ReadFrames(firstFrame, count, frames_.data());
    if (result != DRIVER_OP_SUCCESS) return result;
    std::memcpy(out, frames_.data() + (pos - firstFrame * CD_FRAME_BYTES), size);
    return DRIVER_OP_SUCCESS;
}

driver_return_code_t Disc::Deliver(int64_t first, uint32_t count, uint8_t* out, int64_t jitter,
                                   uint8_t* c2)
{
    // A drive with read offset N delivers, for frame F, the disc's samples from 588 F - N on.
    const int64_t drift = jitter - 4 * faults_.driveOffset();
    const driver_return_code_t result =
        drift == 0 ? ReadFrames(first, count, out)
                   : ReadBytes(first * CD_FRAME_BYTES + drift,
                               static_cast<size_t>(count) * CD_FRAME_BYTES, out);
    if (result == DRIVER_OP_SUCCESS && image_)
        faults_.Corrupt(first, count, out, seed_, reads_++, c2);
    return result;
}

driver_return_code_t Disc::ReadDeviceC2(int64_t first, uint32_t count, uint8_t* out, uint8_t* c2)
{
    constexpr uint32_t kBlock = CD_FRAME_BYTES + CD_C2_BYTES;
    constexpr uint32_t kChunk = 24; // frames a command, well below common transfer limits
    std::vector<uint8_t> raw(static_cast<size_t>(kChunk) * kBlock);
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(kChunk, count - done);
        const driver_return_code_t result = mmc_read_cd(
            cdio_, raw.data(), static_cast<lsn_t>(first + done), CDIO_MMC_READ_TYPE_CDDA, false,
            false, 0, true, false, 1, 0, static_cast<uint16_t>(kBlock), n);
        if (result != DRIVER_OP_SUCCESS) return result;
        for (uint32_t k = 0; k < n; ++k) {
            std::memcpy(out + static_cast<size_t>(done + k) * CD_FRAME_BYTES,
                        raw.data() + static_cast<size_t>(k) * kBlock, CD_FRAME_BYTES);
            std::memcpy(c2 + static_cast<size_t>(done + k) * CD_C2_BYTES,
                        raw.data() + static_cast<size_t>(k) * kBlock + CD_FRAME_BYTES, CD_C2_BYTES);
        }
        done += n;
    }
    return DRIVER_OP_SUCCESS;
}

uint32_t Disc::ReadOutside(CDSectorHeader& buffer, int64_t start)
{
    const lsn_t leadout = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN || !WithinOverread(start, buffer.frameCount, leadout))
        return CD_STATUS_ERROR;
    if (cdio_read_audio_sectors(cdio_, CD_SECTOR_DATA(&buffer), static_cast<lsn_t>(start),
                                buffer.frameCount) != DRIVER_OP_SUCCESS)
        return CD_STATUS_ERROR;
    buffer.dataOffset = 0;
    buffer.bytesReturned = buffer.frameCount * CD_FRAME_BYTES;
    return CD_STATUS_OK;
}

uint32_t Disc::Failure(driver_return_code_t result, int64_t start, uint32_t count)
{
    // An image has no passing faults of its own: those are the fault file's.
    if (image_) return CD_STATUS_ERROR;
    return retry_.Failed(start, count, result);
}

FaultPlan::Outcome Disc::Faults(int64_t first, uint32_t count)
{
    // The fault file names frames on the disc.
    const int64_t from = std::max<int64_t>(first, 0);
    if (first + count <= from) return {};
    return faults_.Attempt(static_cast<uint32_t>(from),
                           static_cast<uint32_t>(first + count - from));
}

void Disc::LogRead(int64_t first, uint32_t count)
{
    if (!image_) return;
    if (!readLogOpened_) {
        readLogOpened_ = true;
        if (const char* path = std::getenv("VELTRARIP32_READ_LOG"))
            readLog_ = std::fopen(path, "a");
    }
    if (!readLog_) return;
    std::fprintf(readLog_, "%lld %u\n", static_cast<long long>(first), count);
    std::fflush(readLog_);
}

uint32_t Disc::ReadPlain(CDSectorHeader& buffer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if ((!cdio_ && !cue_) || !present_) return CD_STATUS_NO_DISC;
    const int64_t start = static_cast<int32_t>(buffer.startFrame);
    if (!Fits(buffer)) return CD_STATUS_ERROR;
    LogRead(start, buffer.frameCount);
    if (!OnDisc(start, buffer.frameCount))
        return image_ ? CD_STATUS_ERROR : ReadOutside(buffer, start);
    const FaultPlan::Outcome fault = Faults(start, buffer.frameCount);
    Delay(fault);
    if (fault.status != CD_STATUS_OK) return fault.status;
    // A plain read cannot vouch for the alignment of shifted data.
    if (fault.shift != 0) return CD_STATUS_RETRY;
    const driver_return_code_t result =
        Deliver(start, buffer.frameCount, CD_SECTOR_DATA(&buffer), 0);
    if (result != DRIVER_OP_SUCCESS) return Failure(result, start, buffer.frameCount);
    retry_.Succeeded();
    buffer.dataOffset = 0;
    buffer.bytesReturned = buffer.frameCount * CD_FRAME_BYTES;
    return CD_STATUS_OK;
}

uint32_t Disc::ReadWithC2(CDSectorHeader& buffer, uint8_t* c2)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if ((!cdio_ && !cue_) || !present_) return CD_STATUS_NO_DISC;
    const int64_t start = static_cast<int32_t>(buffer.startFrame);
    if (!Fits(buffer)) return CD_STATUS_ERROR;
    LogRead(start, buffer.frameCount);
    std::memset(c2, 0, static_cast<size_t>(buffer.frameCount) * CD_C2_BYTES);
    if (!OnDisc(start, buffer.frameCount)) {
        if (image_) return CD_STATUS_ERROR;
        const uint32_t status = ReadOutside(buffer, start);
        return status == CD_STATUS_OK ? CD_STATUS_NO_C2 : status;
    }
    const FaultPlan::Outcome fault = Faults(start, buffer.frameCount);
    Delay(fault);
    if (fault.status != CD_STATUS_OK) return fault.status;
    if (fault.shift != 0) return CD_STATUS_RETRY;
    uint8_t* data = CD_SECTOR_DATA(&buffer);
    uint32_t status = CD_STATUS_OK;
    driver_return_code_t result = DRIVER_OP_ERROR;
    if (image_) {
        // The simulated drive reports C2 errors where its fault file says so.
        result = Deliver(start, buffer.frameCount, data, 0, c2);
    } else {
        result = ReadDeviceC2(start, buffer.frameCount, data, c2);
        if (result != DRIVER_OP_SUCCESS) {
            // Many drives refuse C2 pointers; the audio alone still counts.
            std::memset(c2, 0, static_cast<size_t>(buffer.frameCount) * CD_C2_BYTES);
            result = Deliver(start, buffer.frameCount, data, 0);
            status = CD_STATUS_NO_C2;
        }
    }
    if (result != DRIVER_OP_SUCCESS) return Failure(result, start, buffer.frameCount);
    retry_.Succeeded();
    buffer.dataOffset = 0;
    buffer.bytesReturned = buffer.frameCount * CD_FRAME_BYTES;
    return status;
}

uint32_t Disc::ReadOverlapped(CDSectorHeader& buffer, const CDSectorHeader* reference)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if ((!cdio_ && !cue_) || !present_) return CD_STATUS_NO_DISC;
    const int64_t start = static_cast<int32_t>(buffer.startFrame);
    const uint32_t count = buffer.frameCount;
    if (!Fits(buffer)) return CD_STATUS_ERROR;
    LogRead(start, count);
    if (!OnDisc(start, count)) return image_ ? CD_STATUS_ERROR : ReadOutside(buffer, start);
    const size_t want = static_cast<size_t>(count) * CD_FRAME_BYTES;

    const bool haveReference =
        reference && reference->bytesReturned > 0 &&
        static_cast<uint64_t>(reference->dataOffset) + reference->bytesReturned <=
            reference->bufferLength &&
        static_cast<int32_t>(reference->startFrame) < start;
    const int64_t refStart = haveReference ? static_cast<int32_t>(reference->startFrame) : start;
    const FaultPlan::Outcome fault =
        Faults(refStart, static_cast<uint32_t>(start + count - refStart));
    Delay(fault);
    if (fault.status != CD_STATUS_OK) return fault.status;

    if (!haveReference) {
        // Nothing to align on: only data the drive delivers unshifted can be vouched for.
        if (fault.shift != 0) return CD_STATUS_RETRY;
        const driver_return_code_t result = Deliver(start, count, CD_SECTOR_DATA(&buffer), 0);
        if (result != DRIVER_OP_SUCCESS) return Failure(result, start, count);
        retry_.Succeeded();
        buffer.dataOffset = 0;
        buffer.bytesReturned = static_cast<uint32_t>(want);
        return CD_STATUS_OK;
    }

    // Read the reference's place and the request with two frames of slack on either side, as
    // the drive delivers it (shifted by the simulated jitter), then find the reference in it.
    const uint8_t* ref = CD_SECTOR_DATA(reference) + reference->dataOffset;
    const size_t refBytes = reference->bytesReturned;
    const int64_t slackFrames = 2;
    const int64_t slack = slackFrames * CD_FRAME_BYTES;
    const int64_t base = refStart * CD_FRAME_BYTES - slack;
    const int64_t end = (start + count) * CD_FRAME_BYTES + slack;
    scratch_.resize(static_cast<size_t>(end - base));
    const driver_return_code_t result =
        Deliver(refStart - slackFrames, static_cast<uint32_t>(scratch_.size() / CD_FRAME_BYTES),
                scratch_.data(), fault.shift);
    if (result != DRIVER_OP_SUCCESS) return Failure(result, start, count);

    const int64_t expected = refStart * CD_FRAME_BYTES - base;
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
    const int64_t from = found + (start - refStart) * CD_FRAME_BYTES;
    if (from < 0 || from + static_cast<int64_t>(want) > static_cast<int64_t>(scratch_.size()))
        return CD_STATUS_RETRY;
    retry_.Succeeded();
    std::memcpy(CD_SECTOR_DATA(&buffer), scratch_.data() + from, want);
    buffer.dataOffset = 0;
    buffer.bytesReturned = static_cast<uint32_t>(want);
    return CD_STATUS_OK;
}

} // namespace rip32
