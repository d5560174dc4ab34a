#include "DataFile.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rip32
{

namespace
{

constexpr int64_t kFrameBytes = 2352;
constexpr uint32_t kSamplesPerFrame = 588;

uint32_t Le32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

class Fd
{
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

    // False unless all `size` bytes were there.
    bool ReadAt(int64_t pos, size_t size, uint8_t* out) const
    {
        while (size > 0) {
            const ssize_t n = ::pread(fd_, out, size, static_cast<off_t>(pos));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            out += n;
            pos += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

std::string WholeFrames(int64_t bytes)
{
    return "holds " + std::to_string(bytes) +
           " bytes of audio, not a whole number of CD frames (2352 bytes each)";
}

// Raw CD audio at a byte offset: a BINARY or MOTOROLA file, or a WAV file's data chunk.
class RawFile : public DataFile
{
public:
    RawFile(int fd, int64_t offset, int64_t frames, bool bigEndian)
        : fd_(fd), offset_(offset), bigEndian_(bigEndian)
    {
        frames_ = frames;
    }

    bool Read(int64_t first, uint32_t count, uint8_t* out) override
    {
        if (first < 0 || first + count > frames_) return false;
        const size_t size = static_cast<size_t>(count) * kFrameBytes;
        if (!fd_.ReadAt(offset_ + first * kFrameBytes, size, out)) return false;
        if (bigEndian_)
            for (size_t i = 0; i + 1 < size; i += 2)
                std::swap(out[i], out[i + 1]);
        return true;
    }

private:
    Fd fd_;
    int64_t offset_;
    bool bigEndian_;
};

// Walks the RIFF chunks for "fmt " and "data"; never assumes a 44-byte header.
std::unique_ptr<DataFile> OpenWav(int fd, int64_t fileSize, std::string& error)
{
    Fd owner(fd);
    uint8_t head[12];
    if (!owner.ReadAt(0, 12, head) || std::memcmp(head + 8, "WAVE", 4) != 0) {
        error = "is a RIFF file but not a WAV file";
        return nullptr;
    }
    int64_t pos = 12, dataAt = -1, dataSize = 0;
    bool haveFormat = false;
    while (pos + 8 <= fileSize && (dataAt < 0 || !haveFormat)) {
        uint8_t chunk[8];
        if (!owner.ReadAt(pos, 8, chunk)) break;
        const int64_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            uint8_t f[40] = {};
            if (size < 16 ||
                !owner.ReadAt(pos + 8, static_cast<size_t>(std::min<int64_t>(size, 40)), f)) {
                error = "has a damaged format chunk";
                return nullptr;
            }
            uint16_t tag = Le16(f);
            // WAVE_FORMAT_EXTENSIBLE names its sample format in the first two bytes of its GUID.
            if (tag == 0xFFFE && size >= 40) tag = Le16(f + 24);
            const uint16_t channels = Le16(f + 2), bits = Le16(f + 14);
            const uint32_t rate = Le32(f + 4);
            if (tag != 1 || channels != 2 || rate != 44100 || bits != 16) {
                error = "is a WAV file of another format (" +
                        std::string(tag == 1 ? "PCM" : "not PCM") + ", " +
                        std::to_string(channels) + " channels, " + std::to_string(rate) + " Hz, " +
                        std::to_string(bits) + " bits); only 44.1 kHz 16-bit stereo PCM is read";
                return nullptr;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && dataAt < 0) {
            if (!haveFormat) {
                error = "has its data chunk before its format chunk";
                return nullptr;
            }
            dataAt = pos + 8;
            dataSize = size;
        }
        pos += 8 + size + (size & 1);
    }
    if (!haveFormat || dataAt < 0) {
        error = haveFormat ? "has no data chunk" : "has no format chunk";
        return nullptr;
    }
    if (dataAt + dataSize > fileSize) {
        error =
            "is shorter than its data chunk says (" + std::to_string(dataSize) + " bytes of audio)";
        return nullptr;
    }
    if (dataSize % kFrameBytes != 0) {
        error = WholeFrames(dataSize);
        return nullptr;
    }
    const int raw = ::dup(fd);
    if (raw < 0) {
        error = std::string("cannot be read: ") + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<RawFile>(raw, dataAt, dataSize / kFrameBytes, false);
}

// FLAC through libFLAC: decoded by seeking to the first sample asked for. Recently decoded
// samples are kept, so reads that go a little back (the overlapped read) decode nothing twice.
class FlacFile : public DataFile
{
public:
    ~FlacFile() override
    {
        if (decoder_) FLAC__stream_decoder_delete(decoder_);
    }

    static std::unique_ptr<DataFile> Open(const std::string& path, std::string& error)
    {
        std::unique_ptr<FlacFile> file(new FlacFile);
        file->decoder_ = FLAC__stream_decoder_new();
        if (!file->decoder_ ||
            FLAC__stream_decoder_init_file(file->decoder_, path.c_str(), &FlacFile::OnWrite,
                                           &FlacFile::OnMetadata, &FlacFile::OnError,
                                           file.get()) != FLAC__STREAM_DECODER_INIT_STATUS_OK ||
            !FLAC__stream_decoder_process_until_end_of_metadata(file->decoder_) ||
            !file->haveInfo_) {
            error = "is not a FLAC file that can be decoded";
            return nullptr;
        }
        const auto& info = file->info_;
        if (info.sample_rate != 44100 || info.channels != 2 || info.bits_per_sample != 16) {
            error = "is FLAC of another format (" + std::to_string(info.channels) + " channels, " +
                    std::to_string(info.sample_rate) + " Hz, " +
                    std::to_string(info.bits_per_sample) +
                    " bits); only 44.1 kHz 16-bit stereo is read";
            return nullptr;
        }
        if (info.total_samples == 0) {
            error = "does not say how many samples it holds";
            return nullptr;
        }
        if (info.total_samples % kSamplesPerFrame != 0) {
            error = WholeFrames(static_cast<int64_t>(info.total_samples) * 4);
            return nullptr;
        }
        file->frames_ = static_cast<int64_t>(info.total_samples / kSamplesPerFrame);
        return file;
    }

    bool Read(int64_t first, uint32_t count, uint8_t* out) override
    {
        if (first < 0 || first + count > frames_) return false;
        uint64_t want = static_cast<uint64_t>(first) * kSamplesPerFrame;
        const uint64_t end = want + static_cast<uint64_t>(count) * kSamplesPerFrame;
        while (want < end) {
            if (want >= cacheStart_ && want < CacheEnd()) {
                const uint64_t n = std::min(end, CacheEnd()) - want;
                std::memcpy(out, cache_.data() + (want - cacheStart_) * 4, n * 4);
                out += n * 4;
                want += n;
                continue;
            }
            failed_ = false;
            const uint64_t before = CacheEnd();
            const bool next = !cache_.empty() && want == before;
            // The next block in the stream is decoded in turn; anything else is sought.
            const bool ok = next ? FLAC__stream_decoder_process_single(decoder_)
                                 : FLAC__stream_decoder_seek_absolute(decoder_, want);
            if (!ok || failed_) {
                FLAC__stream_decoder_flush(decoder_);
                cache_.clear();
                return false;
            }
            if (next ? CacheEnd() == before : !(want >= cacheStart_ && want < CacheEnd()))
                return false;
        }
        return true;
    }

private:
    FlacFile() = default;

    uint64_t CacheEnd() const { return cacheStart_ + cache_.size() / 4; }

    static FLAC__StreamDecoderWriteStatus OnWrite(const FLAC__StreamDecoder*,
                                                  const FLAC__Frame* frame,
                                                  const FLAC__int32* const buffer[], void* data)
    {
        auto* self = static_cast<FlacFile*>(data);
        const uint32_t n = frame->header.blocksize;
        if (frame->header.channels != 2 || frame->header.bits_per_sample != 16 ||
            frame->header.number_type != FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER) {
            self->failed_ = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        const uint64_t at = frame->header.number.sample_number;
        if (self->cache_.empty() || at != self->CacheEnd()) {
            self->cache_.clear();
            self->cacheStart_ = at;
        }
        // Keep what the next reads may go back to, drop the rest.
        const size_t keep = kKeepSamples * 4;
        if (self->cache_.size() > keep) {
            const size_t drop = self->cache_.size() - keep;
            self->cache_.erase(self->cache_.begin(), self->cache_.begin() + drop);
            self->cacheStart_ += drop / 4;
        }
        const size_t base = self->cache_.size();
        self->cache_.resize(base + static_cast<size_t>(n) * 4);
        uint8_t* p = self->cache_.data() + base;
        for (uint32_t i = 0; i < n; ++i) {
            for (int c = 0; c < 2; ++c) {
                const auto v = static_cast<uint16_t>(static_cast<int16_t>(buffer[c][i]));
                *p++ = static_cast<uint8_t>(v & 0xFF);
                *p++ = static_cast<uint8_t>(v >> 8);
            }
        }
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void OnMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata,
                           void* data)
    {
        auto* self = static_cast<FlacFile*>(data);
        if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO) {
            self->info_ = metadata->data.stream_info;
            self->haveInfo_ = true;
        }
    }

    static void OnError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data)
    {
        static_cast<FlacFile*>(data)->failed_ = true;
    }

    static constexpr size_t kKeepSamples = 64 * kSamplesPerFrame;
    FLAC__StreamDecoder* decoder_ = nullptr;
    FLAC__StreamMetadata_StreamInfo info_{};
    bool haveInfo_ = false;
    bool failed_ = false;
    std::vector<uint8_t> cache_; // decoded samples from cacheStart_, 4 bytes each
    uint64_t cacheStart_ = 0;
};

} // namespace

std::unique_ptr<DataFile> DataFile::Open(const std::string& path, const std::string& type,
                                         std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot be opened: ") + std::strerror(errno);
        return nullptr;
    }
    Fd owner(fd);
    struct stat st {
    };
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "is not a file";
        return nullptr;
    }
    uint8_t magic[4] = {};
    const bool hasMagic = st.st_size >= 4 && owner.ReadAt(0, 4, magic);
    if (hasMagic && std::memcmp(magic, "RIFF", 4) == 0) {
        const int raw = ::dup(fd);
        if (raw < 0) {
            error = std::string("cannot be read: ") + std::strerror(errno);
            return nullptr;
        }
        return OpenWav(raw, st.st_size, error);
    }
    if (hasMagic && std::memcmp(magic, "fLaC", 4) == 0) return FlacFile::Open(path, error);
    if (type == "BINARY" || type == "MOTOROLA") {
        if (st.st_size % kFrameBytes != 0) {
            error = WholeFrames(st.st_size);
            return nullptr;
        }
        const int raw = ::dup(fd);
        if (raw < 0) {
            error = std::string("cannot be read: ") + std::strerror(errno);
            return nullptr;
        }
        return std::make_unique<RawFile>(raw, 0, st.st_size / kFrameBytes, type == "MOTOROLA");
    }
    if (type == "AIFF" || type == "MP3") {
        error = "is " + type + " data, which is not read (WAV, FLAC or raw audio only)";
        return nullptr;
    }
    error = "is neither a RIFF WAV nor a FLAC file";
    return nullptr;
}

} // namespace rip32
