#include "DiscImage.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <stdexcept>
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

    WrittenImage image;
    image.binPath = basePath + ".bin";
    image.descriptorPath = basePath + (layout.format == Format::Cue ? ".cue" : ".toc");

    uint32_t pos = 0;
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

    BinWriter bin(image.binPath);
    const uint32_t chunkFrames = 256;
    std::vector<uint8_t> chunk(static_cast<size_t>(chunkFrames) * CD_FRAME_BYTES);
    for (size_t t = 0; t < layout.audioLengths.size(); ++t) {
        const uint32_t start = image.trackStarts[t], len = layout.audioLengths[t];
        for (uint32_t f = 0; f < len; f += chunkFrames) {
            const uint32_t n = std::min(chunkFrames, len - f);
            for (uint32_t k = 0; k < n; ++k) {
                uint8_t* out = chunk.data() + static_cast<size_t>(k) * CD_FRAME_BYTES;
                if (layout.audio == Audio::Pattern)
                    PatternFrame(start + f + k, out);
                else if (layout.audio == Audio::Tones)
                    ToneFrame(static_cast<uint32_t>(t), f + k, len, out);
                else
                    std::memset(out, 0, CD_FRAME_BYTES);
            }
            bin.Write(static_cast<uint64_t>(start + f) * CD_FRAME_BYTES, chunk.data(),
                      static_cast<size_t>(n) * CD_FRAME_BYTES);
        }
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

    std::string text;
    char line[128];
    if (layout.format == Format::Cue) {
        text = "FILE \"" + BaseName(image.binPath) + "\" BINARY\n";
        for (size_t t = 0; t < tracks; ++t) {
            const bool data = t == layout.audioLengths.size();
            std::snprintf(line, sizeof line, "  TRACK %02d %s\n    INDEX 01 %s\n",
                          layout.firstTrack + static_cast<int>(t), data ? "MODE1/2352" : "AUDIO",
                          Msf(image.trackStarts[t]).c_str());
            text += line;
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
