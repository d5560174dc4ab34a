#include "DiscImage.h"

#include <FLAC/stream_encoder.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace discimage
{

namespace
{

std::string Msf(uint32_t frames)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", frames / CD_FRAMES_PER_MINUTE,
                  (frames / CD_FRAMES_PER_SECOND) % 60, frames % CD_FRAMES_PER_SECOND);
    return buf;
}

std::string BaseName(const std::string& path)
{
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool ValidUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t more = 0;
        uint32_t cp = c;
        if (c >= 0x80) {
            more = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
            if (more == 0 || i + more >= s.size()) return false;
            cp = c & (0x7F >> (more + 1));
        }
        for (size_t k = 1; k <= more; ++k) {
            const auto n = static_cast<unsigned char>(s[i + k]);
            if ((n & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (n & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are no UTF-8.
        static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += more + 1;
    }
    return true;
}

// A cue sheet quotes its texts and knows no escapes: a quotation mark or a line break cannot
// be written, and a sheet that is not UTF-8 would be read as 8-bit text.
std::string CueText(const std::string& text)
{
    if (text.find_first_of("\"\r\n") != std::string::npos)
        throw std::runtime_error("a cue sheet text cannot hold a quotation mark or a line break");
    if (!ValidUtf8(text)) throw std::runtime_error("a cue sheet text must be UTF-8");
    return "\"" + text + "\"";
}

std::string TextLines(const DiscTexts& texts, const char* indent)
{
    std::string lines;
    if (!texts.title.empty()) lines += indent + std::string("TITLE ") + CueText(texts.title) + "\n";
    if (!texts.performer.empty())
        lines += indent + std::string("PERFORMER ") + CueText(texts.performer) + "\n";
    if (!texts.songwriter.empty())
        lines += indent + std::string("SONGWRITER ") + CueText(texts.songwriter) + "\n";
    return lines;
}

// The audio of Audio::Pcm layouts, read in order as the tracks are written.
class PcmReader
{
public:
    PcmReader(const std::string& path, uint64_t needed)
    {
        file_ = std::fopen(path.c_str(), "rb");
        if (!file_) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
        struct stat st {
        };
        if (::fstat(::fileno(file_), &st) != 0 || !S_ISREG(st.st_mode)) {
            std::fclose(file_);
            throw std::runtime_error(path + " is not a regular file");
        }
        const auto size = static_cast<uint64_t>(st.st_size);
        if (size < needed) {
            std::fclose(file_);
            throw std::runtime_error(path + " holds " + std::to_string(size / CD_FRAME_BYTES) +
                                     " frames of audio; the tracks need " +
                                     std::to_string(needed / CD_FRAME_BYTES));
        }
    }
    ~PcmReader() { std::fclose(file_); }
    PcmReader(const PcmReader&) = delete;
    PcmReader& operator=(const PcmReader&) = delete;

    // Frame f of the audio: the file's frames in order.
    void ReadFrame(uint32_t f, uint8_t* out)
    {
        if (::pread(::fileno(file_), out, CD_FRAME_BYTES,
                    static_cast<off_t>(static_cast<uint64_t>(f) * CD_FRAME_BYTES)) !=
            static_cast<ssize_t>(CD_FRAME_BYTES))
            throw std::runtime_error("cannot read the PCM file");
    }

private:
    FILE* file_ = nullptr;
};

class BinWriter
{
public:
    explicit BinWriter(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0)
            throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    }
    ~BinWriter()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    void Write(uint64_t offset, const uint8_t* data, size_t size)
    {
        while (size > 0) {
            ssize_t n = ::pwrite(fd_, data, size, static_cast<off_t>(offset));
            if (n <= 0)
                throw std::runtime_error(std::string("write failed: ") + std::strerror(errno));
            data += n;
            size -= static_cast<size_t>(n);
            offset += static_cast<uint64_t>(n);
        }
    }
    // Gaps are left as holes: they read as zeros and take no space.
    void Extend(uint64_t size)
    {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
            throw std::runtime_error(std::string("truncate failed: ") + std::strerror(errno));
    }
    void Close()
    {
        if (::close(fd_) != 0) throw std::runtime_error("close failed");
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// A calm chord per track, faded in and out, so the demo disc is pleasant to listen to.
void ToneFrame(uint32_t trackIndex, uint32_t frameInTrack, uint32_t trackLength, uint8_t* out)
{
    static const double kRoots[] = {220.0, 246.94, 277.18, 329.63, 369.99, 440.0, 493.88, 554.37};
    const double root = kRoots[trackIndex % 8];
    const double partials[3] = {root, root * 1.5, root * 2.0};
    const double weights[3] = {0.5, 0.3, 0.2};
    const double fade = CD_FRAMES_PER_SECOND; // one second
    for (uint32_t i = 0; i < CD_SAMPLES_PER_FRAME; ++i) {
        const double n = static_cast<double>(frameInTrack) * CD_SAMPLES_PER_FRAME + i;
        const double t = n / CD_SAMPLE_RATE;
        const double pos = n / CD_SAMPLES_PER_FRAME;
        double env = std::min(1.0, pos / fade) * std::min(1.0, (trackLength - pos) / fade);
        env = std::max(0.0, env);
        double l = 0, r = 0;
        for (int p = 0; p < 3; ++p) {
            const double s = std::sin(2 * M_PI * partials[p] * t) * weights[p];
            l += s * (p == 1 ? 0.7 : 1.0);
            r += s * (p == 2 ? 0.7 : 1.0);
        }
        const double tremolo = 0.9 + 0.1 * std::sin(2 * M_PI * 0.5 * t);
        auto sample = [&](double v) {
            return static_cast<int16_t>(std::lround(v * env * tremolo * 9000.0));
        };
        int16_t ls = sample(l), rs = sample(r);
        out[i * 4 + 0] = static_cast<uint8_t>(ls & 0xFF);
        out[i * 4 + 1] = static_cast<uint8_t>((ls >> 8) & 0xFF);
        out[i * 4 + 2] = static_cast<uint8_t>(rs & 0xFF);
        out[i * 4 + 3] = static_cast<uint8_t>((rs >> 8) & 0xFF);
    }
}

// A Mode 1 sector: sync pattern, header with its own address, then zeros.
void DataFrame(uint32_t frame, uint8_t* out)
{
    std::memset(out, 0, CD_FRAME_BYTES);
    std::memset(out + 1, 0xFF, 10);
    const uint32_t abs = frame + CD_LEAD_IN_FRAMES;
    auto bcd = [](uint32_t v) { return static_cast<uint8_t>(((v / 10) << 4) | (v % 10)); };
    out[12] = bcd(abs / CD_FRAMES_PER_MINUTE);
    out[13] = bcd((abs / CD_FRAMES_PER_SECOND) % 60);
    out[14] = bcd(abs % CD_FRAMES_PER_SECOND);
    out[15] = 1;
}

} // namespace

void PatternSample(uint32_t frame, uint32_t index, uint8_t out[4])
{
    const uint16_t left = static_cast<uint16_t>(frame & 0xFFFF);
    const uint16_t right = static_cast<uint16_t>((index & 0x3FF) | (((frame >> 16) & 0x3F) << 10));
    out[0] = static_cast<uint8_t>(left & 0xFF);
    out[1] = static_cast<uint8_t>(left >> 8);
    out[2] = static_cast<uint8_t>(right & 0xFF);
    out[3] = static_cast<uint8_t>(right >> 8);
}

void PatternFrame(uint32_t frame, uint8_t* out)
{
    for (uint32_t i = 0; i < CD_SAMPLES_PER_FRAME; ++i)
        PatternSample(frame, i, out + i * CD_SAMPLE_FRAME_BYTES);
}

std::vector<uint8_t> PatternBytes(uint32_t start, uint32_t length)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(length) * CD_FRAME_BYTES);
    for (uint32_t f = 0; f < length; ++f)
        PatternFrame(start + f, bytes.data() + static_cast<size_t>(f) * CD_FRAME_BYTES);
    return bytes;
}

uint32_t ParseLength(const std::string& text)
{
    size_t colon = text.find(':');
    try {
        size_t used = 0;
        if (colon == std::string::npos) {
            unsigned long v = std::stoul(text, &used);
            if (used != text.size()) throw std::invalid_argument(text);
            return static_cast<uint32_t>(v);
        }
        unsigned long m = std::stoul(text.substr(0, colon), &used);
        if (used != colon) throw std::invalid_argument(text);
        std::string rest = text.substr(colon + 1);
        unsigned long s = std::stoul(rest, &used);
        if (used != rest.size() || s >= 60) throw std::invalid_argument(text);
        return static_cast<uint32_t>((m * 60 + s) * CD_FRAMES_PER_SECOND);
    } catch (const std::logic_error&) {
        throw std::runtime_error("bad length \"" + text + "\" (frames, or minutes:seconds)");
    }
}

std::vector<uint32_t> ParseLengths(const std::string& text)
{
    std::vector<uint32_t> lengths;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        lengths.push_back(ParseLength(text.substr(pos, comma - pos)));
        pos = comma + 1;
    }
    return lengths;
}

void WriteWavFile(const std::string& path, uint32_t frames, const FrameSource& frame)
{
    const uint64_t dataBytes = uint64_t{frames} * CD_FRAME_BYTES;
    if (dataBytes + 36 > UINT32_MAX) throw std::runtime_error("too long for a WAV file: " + path);
    uint8_t header[44];
    auto le = [&](int at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    std::copy_n("RIFF\0\0\0\0WAVEfmt ", 16, header);
    le(4, static_cast<uint32_t>(dataBytes + 36), 4);
    le(16, 16, 4);
    le(20, 1, 2);         // PCM
    le(22, 2, 2);         // channels
    le(24, 44100, 4);     // samples a second
    le(28, 44100 * 4, 4); // bytes a second
    le(32, 4, 2);         // block
    le(34, 16, 2);        // bits
    std::copy_n("data", 4, header + 36);
    le(40, static_cast<uint32_t>(dataBytes), 4);
    BinWriter out(path);
    out.Write(0, header, sizeof header);
    const uint32_t chunkFrames = 256;
    std::vector<uint8_t> chunk(static_cast<size_t>(chunkFrames) * CD_FRAME_BYTES);
    for (uint32_t f = 0; f < frames; f += chunkFrames) {
        const uint32_t n = std::min(chunkFrames, frames - f);
        for (uint32_t k = 0; k < n; ++k)
            frame(f + k, chunk.data() + static_cast<size_t>(k) * CD_FRAME_BYTES);
        out.Write(44 + uint64_t{f} * CD_FRAME_BYTES, chunk.data(),
                  static_cast<size_t>(n) * CD_FRAME_BYTES);
    }
    out.Close();
}

void WriteFlacFile(const std::string& path, uint32_t frames, const FrameSource& frame)
{
    std::unique_ptr<FLAC__StreamEncoder, void (*)(FLAC__StreamEncoder*)> encoder(
        FLAC__stream_encoder_new(), FLAC__stream_encoder_delete);
    if (!encoder) throw std::runtime_error("no FLAC encoder");
    FLAC__StreamEncoder* e = encoder.get();
    FLAC__stream_encoder_set_channels(e, 2);
    FLAC__stream_encoder_set_bits_per_sample(e, 16);
    FLAC__stream_encoder_set_sample_rate(e, 44100);
    FLAC__stream_encoder_set_compression_level(e, 1);
    FLAC__stream_encoder_set_total_samples_estimate(e, uint64_t{frames} * CD_SAMPLES_PER_FRAME);
    if (FLAC__stream_encoder_init_file(e, path.c_str(), nullptr, nullptr) !=
        FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        throw std::runtime_error("cannot create " + path);
    std::vector<uint8_t> bytes(CD_FRAME_BYTES);
    std::vector<FLAC__int32> samples(CD_SAMPLES_PER_FRAME * 2);
    bool ok = true;
    for (uint32_t f = 0; f < frames && ok; ++f) {
        frame(f, bytes.data());
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        ok = FLAC__stream_encoder_process_interleaved(e, samples.data(), CD_SAMPLES_PER_FRAME);
    }
    ok = FLAC__stream_encoder_finish(e) && ok;
    if (!ok) throw std::runtime_error("cannot write " + path);
}

WrittenImage WriteDiscImage(const DiscLayout& layout, const std::string& basePath)
{
    const size_t tracks = layout.audioLengths.size() + (layout.dataLength ? 1 : 0);
    if (layout.audioLengths.empty())
        throw std::runtime_error("a disc needs at least one audio track");
    if (layout.firstTrack < 1 || layout.firstTrack + static_cast<int>(tracks) - 1 > 99)
        throw std::runtime_error("track numbers must lie in 1..99");
    for (uint32_t len : layout.audioLengths)
        if (len == 0) throw std::runtime_error("an audio track needs at least one frame");
    if (layout.format == Format::Toc && (layout.dataLength || layout.firstTrack != 1))
        throw std::runtime_error("toc images are written for audio-only discs starting at track 1");
    if (layout.format == Format::Toc &&
        (layout.hidden || layout.pregap || layout.files != Files::Binary))
        throw std::runtime_error("toc images are written without index 0 and as one bin file");
    if (layout.files != Files::Binary && layout.dataLength)
        throw std::runtime_error("WAV and FLAC images are written for audio-only discs");
    const bool texts = !layout.catalog.empty() || !layout.trackTexts.empty() ||
                       !TextLines(layout.album, "").empty() || !layout.album.isrc.empty();
    if (texts && layout.format != Format::Cue)
        throw std::runtime_error(
            "CD-Text, ISRCs and the catalogue are written into cue sheets only");
    if (!layout.album.isrc.empty()) throw std::runtime_error("an ISRC belongs to a track");
    if (!layout.catalog.empty() &&
        (layout.catalog.size() != 13 || !std::all_of(layout.catalog.begin(), layout.catalog.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; })))
        throw std::runtime_error("the catalogue number must be 13 digits");
    for (const auto& [number, t] : layout.trackTexts) {
        if (number < layout.firstTrack ||
            number >= layout.firstTrack + static_cast<int>(layout.audioLengths.size()))
            throw std::runtime_error("texts for track " + std::to_string(number) +
                                     ", which is no audio track of the disc");
        if (t.isrc.find_first_of(" \"\r\n") != std::string::npos)
            throw std::runtime_error("an ISRC is one word");
    }
    for (size_t t = 0; t + 1 < layout.audioLengths.size(); ++t)
        if (layout.pregap >= layout.audioLengths[t])
            throw std::runtime_error("a pregap must be shorter than the track before it");

    WrittenImage image;
    image.binPath = basePath + ".bin";
    image.descriptorPath = basePath + (layout.format == Format::Cue ? ".cue" : ".toc");

    uint32_t pos = layout.hidden;
    for (uint32_t len : layout.audioLengths) {
        image.trackStarts.push_back(pos);
        pos += len;
    }
    const uint32_t audioEnd = pos;
    if (layout.dataLength) {
        image.trackStarts.push_back(audioEnd + layout.dataGap);
        pos = audioEnd + layout.dataGap + layout.dataLength;
    }
    image.leadout = pos;

    std::unique_ptr<PcmReader> pcm;
    if (layout.audio == Audio::Pcm)
        pcm = std::make_unique<PcmReader>(layout.pcmPath,
                                          static_cast<uint64_t>(audioEnd) * CD_FRAME_BYTES);
    // Audio frame f of the disc; the hidden audio before track 1 sounds like track 1.
    const FrameSource audio = [&](uint32_t f, uint8_t* out) {
        if (pcm) {
            pcm->ReadFrame(f, out);
        } else if (layout.audio == Audio::Pattern) {
            PatternFrame(f, out);
        } else if (layout.audio == Audio::Silence) {
            std::memset(out, 0, CD_FRAME_BYTES);
        } else if (f < layout.hidden) {
            ToneFrame(0, f, layout.hidden, out);
        } else {
            const size_t t = static_cast<size_t>(
                std::upper_bound(
                    image.trackStarts.begin(),
                    image.trackStarts.begin() + static_cast<long>(layout.audioLengths.size()), f) -
                image.trackStarts.begin() - 1);
            ToneFrame(static_cast<uint32_t>(t), f - image.trackStarts[t], layout.audioLengths[t],
                      out);
        }
    };
    // Where each WAV file begins: at its track's INDEX 01, the first one at the disc's start.
    std::vector<uint32_t> fileStarts;
    if (layout.files == Files::WavePerTrack) {
        for (size_t t = 0; t < layout.audioLengths.size(); ++t) {
            fileStarts.push_back(t == 0 ? 0 : image.trackStarts[t]);
            char name[32];
            std::snprintf(name, sizeof name, " - %02d.wav",
                          layout.firstTrack + static_cast<int>(t));
            image.dataPaths.push_back(basePath + name);
        }
        fileStarts.push_back(audioEnd);
        for (size_t k = 0; k < image.dataPaths.size(); ++k)
            WriteWavFile(image.dataPaths[k], fileStarts[k + 1] - fileStarts[k],
                         [&](uint32_t f, uint8_t* out) { audio(fileStarts[k] + f, out); });
    } else if (layout.files == Files::Flac) {
        image.dataPaths.push_back(basePath + ".flac");
        WriteFlacFile(image.dataPaths[0], audioEnd, audio);
    } else {
        image.dataPaths.push_back(image.binPath);
        BinWriter bin(image.binPath);
        const uint32_t chunkFrames = 256;
        std::vector<uint8_t> chunk(static_cast<size_t>(chunkFrames) * CD_FRAME_BYTES);
        for (uint32_t f = 0; f < audioEnd; f += chunkFrames) {
            const uint32_t n = std::min(chunkFrames, audioEnd - f);
            for (uint32_t k = 0; k < n; ++k)
                audio(f + k, chunk.data() + static_cast<size_t>(k) * CD_FRAME_BYTES);
            bin.Write(static_cast<uint64_t>(f) * CD_FRAME_BYTES, chunk.data(),
                      static_cast<size_t>(n) * CD_FRAME_BYTES);
        }
        if (layout.dataLength) {
            const uint32_t start = image.trackStarts.back();
            for (uint32_t f = 0; f < layout.dataLength; ++f) {
                DataFrame(start + f, chunk.data());
                bin.Write(static_cast<uint64_t>(start + f) * CD_FRAME_BYTES, chunk.data(),
                          CD_FRAME_BYTES);
            }
        }
        bin.Extend(static_cast<uint64_t>(image.leadout) * CD_FRAME_BYTES);
        bin.Close();
    }
    image.binPath = image.dataPaths[0];

    std::string text;
    char line[128];
    if (layout.format == Format::Cue) {
        auto fileLine = [&](size_t k) {
            return "FILE \"" + BaseName(image.dataPaths[k]) + "\" " +
                   (layout.files == Files::Binary ? "BINARY" : "WAVE") + "\n";
        };
        auto index = [&](int number, uint32_t frame) {
            std::snprintf(line, sizeof line, "    INDEX %02d %s\n", number, Msf(frame).c_str());
            return std::string(line);
        };
        const bool perTrack = layout.files == Files::WavePerTrack;
        if (!layout.catalog.empty()) text += "CATALOG " + layout.catalog + "\n";
        text += TextLines(layout.album, "");
        for (size_t t = 0; t < tracks; ++t) {
            const bool data = t == layout.audioLengths.size();
            const uint32_t base = perTrack ? fileStarts[t - (t > 0 ? 1 : 0)] : 0;
            if (t == 0 || (perTrack && !layout.pregap)) text += fileLine(t);
            std::snprintf(line, sizeof line, "  TRACK %02d %s\n",
                          layout.firstTrack + static_cast<int>(t), data ? "MODE1/2352" : "AUDIO");
            text += line;
            if (auto it = layout.trackTexts.find(layout.firstTrack + static_cast<int>(t));
                it != layout.trackTexts.end()) {
                text += TextLines(it->second, "    ");
                if (!it->second.isrc.empty()) text += "    ISRC " + it->second.isrc + "\n";
            }
            if (t == 0 && layout.hidden) text += index(0, 0);
            if (t > 0 && layout.pregap)
                text += index(0, image.trackStarts[t] - layout.pregap - base);
            // EAC's layout: the pregap ends the file before, the track's own file begins.
            if (t > 0 && perTrack && layout.pregap) text += fileLine(t);
            text += index(1, image.trackStarts[t] - (perTrack ? fileStarts[t] : 0));
        }
    } else {
        // cdrdao names files relative to the current folder, not the toc file's.
        char resolved[PATH_MAX];
        const std::string bin =
            realpath(image.binPath.c_str(), resolved) ? resolved : image.binPath;
        text = "CD_DA\n";
        for (size_t t = 0; t < tracks; ++t) {
            text += "\nTRACK AUDIO\nFILE \"" + bin + "\" " + Msf(image.trackStarts[t]) + " " +
                    Msf(layout.audioLengths[t]) + "\n";
        }
    }
    FILE* f = std::fopen(image.descriptorPath.c_str(), "w");
    if (!f) throw std::runtime_error("cannot create " + image.descriptorPath);
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) throw std::runtime_error("cannot write " + image.descriptorPath);
    return image;
}

} // namespace discimage
