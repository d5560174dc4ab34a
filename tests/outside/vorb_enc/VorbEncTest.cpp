// libvorb_enc.so through its exports: the five entry points, refused records, handles, the
// output-buffer promise, bitrate modes, tags, exact length and channels of the decoded audio.
#include "include/BladeEnc.h"
#include "platform/ModulePath.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <random>
#include <set>

namespace ts = testsupport;
using testsupport::TempDir;

namespace
{

struct VorbEnc {
    BeInitStreamFn init;
    BeEncodeChunkFn encode;
    BeDeinitStreamFn deinit;
    BeCloseStreamFn close;
    BeVersionFn version;
};

const std::string kLibrary = testsupport::BinDir() + "/libvorb_enc.so";

const VorbEnc& Api()
{
    static const VorbEnc api = [] {
        void* lib = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib) return VorbEnc{};
        return VorbEnc{reinterpret_cast<BeInitStreamFn>(dlsym(lib, "beInitStream")),
                       reinterpret_cast<BeEncodeChunkFn>(dlsym(lib, "beEncodeChunk")),
                       reinterpret_cast<BeDeinitStreamFn>(dlsym(lib, "beDeinitStream")),
                       reinterpret_cast<BeCloseStreamFn>(dlsym(lib, "beCloseStream")),
                       reinterpret_cast<BeVersionFn>(dlsym(lib, "beVersion"))};
    }();
    return api;
}

BEConfigVorbis Record(int32_t nominal = 128, int32_t minimum = -1, int32_t maximum = -1)
{
    BEConfigVorbis r{};
    r.kind = BE_CONFIG_VORBIS;
    r.version = BE_VORBIS_RECORD_VERSION;
    r.channels = BE_VORBIS_CHANNELS;
    r.sampleRate = 44100;
    r.parameter5 = nominal;
    r.parameter4 = minimum;
    r.parameter6 = maximum;
    return r;
}

// A started stream, closed at the end of the scope.
struct Stream {
    explicit Stream(BEConfigVorbis record)
    {
        result = Api().init(&record, &samples, &bufferSize, &handle);
    }
    ~Stream()
    {
        if (handle) Api().close(handle);
    }
    uint32_t result = 0, samples = 0, bufferSize = 0;
    BEStream handle = 0;
};

// Encodes interleaved stereo in chunks of the reported size and returns the Ogg bytes, checking
// that every output stays inside the promised buffer (a guard zone behind it stays untouched).
std::string EncodeAll(const Stream& s, const std::vector<int16_t>& pcm)
{
    constexpr size_t kGuard = 4096;
    std::vector<uint8_t> buffer(s.bufferSize + kGuard, 0xA5);
    std::string file;
    uint32_t length = 0;
    for (size_t at = 0; at < pcm.size(); at += s.samples) {
        const auto count = static_cast<uint32_t>(std::min<size_t>(s.samples, pcm.size() - at));
        EXPECT_EQ(Api().encode(s.handle, count, pcm.data() + at, buffer.data(), &length), 0u);
        EXPECT_LE(length, s.bufferSize);
        file.append(reinterpret_cast<char*>(buffer.data()), length);
    }
    EXPECT_EQ(Api().deinit(s.handle, buffer.data(), &length), 0u);
    EXPECT_LE(length, s.bufferSize);
    file.append(reinterpret_cast<char*>(buffer.data()), length);
    EXPECT_EQ(std::count(buffer.end() - kGuard, buffer.end(), 0xA5), long(kGuard));
    return file;
}

void EncodeFile(const BEConfigVorbis& record, const std::vector<int16_t>& pcm,
                const std::string& path)
{
    Stream s(record);
    ASSERT_EQ(s.result, BE_ERR_SUCCESSFUL);
    testsupport::WriteFile(path, EncodeAll(s, pcm));
}

std::vector<int16_t> Tone(size_t frames, double leftAmplitude, double rightAmplitude)
{
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double s = std::sin(static_cast<double>(i) * 2 * M_PI * 440 / 44100);
        pcm[2 * i] = static_cast<int16_t>(leftAmplitude * s);
        pcm[2 * i + 1] = static_cast<int16_t>(rightAmplitude * s);
    }
    return pcm;
}

// The decoded samples of an Ogg file (oggdec, raw 16-bit little-endian).
std::vector<int16_t> Decode(const std::string& ogg)
{
    const std::string raw = ogg + ".raw";
    auto r = ts::Run({"/usr/bin/oggdec", "-Q", "-R", "-o", raw, ogg});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto bytes = testsupport::ReadBytes(raw);
    std::vector<int16_t> pcm(bytes.size() / 2);
    if (!pcm.empty()) std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

double Rms(const std::vector<int16_t>& pcm, size_t channel)
{
    double sum = 0;
    for (size_t i = channel; i < pcm.size(); i += 2)
        sum += double(pcm[i]) * pcm[i];
    return std::sqrt(sum / double(pcm.size() / 2));
}

} // namespace

TEST(VorbEnc, ExportsExactlyTheFiveEntryPoints)
{
    EXPECT_EQ(ts::ExportedNames(kLibrary),
              (std::set<std::string>{"beInitStream", "beEncodeChunk", "beDeinitStream",
                                     "beCloseStream", "beVersion"}));
}

TEST(VorbEnc, CProgramEncodesATaggedToneOfExactLength)
{
    TempDir dir;
    const std::string ogg = dir / "c.ogg";
    auto r = ts::Run({plat::GetProgramFolder() + "/vorb_enc_c_client", kLibrary, ogg, "88301"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto info = ts::Run({"/usr/bin/ogginfo", ogg});
    EXPECT_EQ(info.exitCode, 0) << info.out;
    EXPECT_EQ(Decode(ogg).size(), 88301u * 2);
    auto tags = ts::Run({"/usr/bin/vorbiscomment", "-l", ogg});
    EXPECT_EQ(tags.out, "TITLE=Caf\xC3\xA9 \xE2\x82\xAC\nARTIST=Artist\nDATE=1999\n")
        << "the null album is left out";
}

TEST(VorbEnc, UnusableRecordsAndCallsFailCleanly)
{
    auto with = [](auto change) {
        BEConfigVorbis r = Record();
        change(r);
        return r;
    };
    const BEConfigVorbis refused[] = {
        with([](BEConfigVorbis& r) { r.kind = BE_CONFIG_MP3; }),
        with([](BEConfigVorbis& r) { r.version = 1; }),
        with([](BEConfigVorbis& r) { r.channels = 1; }),
        with([](BEConfigVorbis& r) { r.sampleRate = 0; }),
        with([](BEConfigVorbis& r) { r.parameter5 = 0; }),
        with([](BEConfigVorbis& r) { r.parameter4 = -2; }),
        with([](BEConfigVorbis& r) { r.parameter6 = 1 << 30; }),
        with([](BEConfigVorbis& r) { r.parameter5 = 5000; }), // beyond what Vorbis offers
    };
    for (const auto& record : refused) {
        Stream s(record);
        EXPECT_NE(s.result, BE_ERR_SUCCESSFUL) << &record - refused;
        EXPECT_EQ(s.handle, 0u) << &record - refused;
    }
    BEConfigVorbis r = Record();
    uint32_t n = 0, size = 0;
    BEStream h = 7;
    EXPECT_NE(Api().init(nullptr, &n, &size, &h), 0u);
    EXPECT_EQ(h, 0u);
    EXPECT_NE(Api().init(&r, nullptr, &size, &h), 0u);

    Stream s(Record());
    ASSERT_EQ(s.result, 0u);
    std::vector<int16_t> pcm(s.samples + 2);
    std::vector<uint8_t> out(s.bufferSize);
    uint32_t length = 1;
    EXPECT_NE(Api().encode(s.handle, s.samples + 2, pcm.data(), out.data(), &length), 0u)
        << "more samples than the output buffer was sized for";
    EXPECT_NE(Api().encode(s.handle, 3, pcm.data(), out.data(), &length), 0u) << "half a frame";
    EXPECT_EQ(length, 0u);
    for (BEStream bad : {0u, 65u, 1000u}) {
        EXPECT_EQ(Api().encode(bad, 2, pcm.data(), out.data(), &length), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(Api().deinit(bad, out.data(), &length), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(Api().close(bad), BE_ERR_INVALID_HANDLE);
    }
}

TEST(VorbEnc, HandlesAreSmallIndicesGivenAgainAfterClose)
{
    auto a = std::make_unique<Stream>(Record());
    Stream b(Record()), c(Record());
    EXPECT_EQ(a->handle, 1u);
    EXPECT_EQ(b.handle, 2u);
    EXPECT_EQ(c.handle, 3u);
    a.reset();
    Stream d(Record());
    EXPECT_EQ(d.handle, 1u);
}

TEST(VorbEnc, LoudNoiseAtTheHighestBitrateStaysInsideTheBuffer)
{
    TempDir dir;
    std::mt19937 random(7);
    std::vector<int16_t> noise(44100 * 2 * 3);
    for (auto& s : noise)
        s = static_cast<int16_t>(random());
    EncodeFile(Record(500, 500, 500), noise, dir / "noise.ogg");
    EncodeFile(Record(-1, -1, -1), {}, dir / "empty.ogg");
    EXPECT_EQ(ts::Run({"/usr/bin/ogginfo", dir / "noise.ogg"}).exitCode, 0);
    // No audio at all decodes to nothing (ogginfo doubts such a stream from any encoder).
    EXPECT_TRUE(Decode(dir / "empty.ogg").empty());
    EXPECT_EQ(Decode(dir / "noise.ogg").size(), noise.size());
}

TEST(VorbEnc, NominalBitrateAloneOrManagedWithLimits)
{
    TempDir dir;
    const auto tone = Tone(44100, 8000, 8000);
    const std::pair<BEConfigVorbis, std::vector<std::string>> cases[] = {
        {Record(),
         {"Nominal bitrate: 128.000000", "Upper bitrate not set", "Lower bitrate not set"}},
        {Record(-1), {"Nominal bitrate: 128.000000"}},
        {Record(160, -1, 192), {"Nominal bitrate: 160.000000", "Upper bitrate: 192.000000"}},
        {Record(-1, 96, -1), {"Lower bitrate: 96.000000", "Upper bitrate not set"}},
    };
    for (const auto& [record, lines] : cases) {
        EncodeFile(record, tone, dir / "b.ogg");
        const std::string info = ts::Run({"/usr/bin/ogginfo", dir / "b.ogg"}).out;
        for (const auto& line : lines)
            EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
    }
}

TEST(VorbEnc, TextsAreCopiedAndTheChannelsKeepTheirPlaces)
{
    TempDir dir;
    std::string title = "Title", album = "Album", artist = "", year = "2024";
    BEConfigVorbis record = Record();
    record.title = title.c_str();
    record.album = album.c_str();
    record.artist = artist.c_str();
    record.year = year.c_str();
    Stream s(record);
    ASSERT_EQ(s.result, 0u);
    title.assign("XXXXX"), album.assign("YYYYY"), year.assign("ZZZZ"); // gone after the call

    const auto tone = Tone(30000, 16000, 0);
    testsupport::WriteFile(dir / "t.ogg", EncodeAll(s, tone));

    EXPECT_EQ(ts::Run({"/usr/bin/vorbiscomment", "-l", dir / "t.ogg"}).out,
              "TITLE=Title\nALBUM=Album\nDATE=2024\n");
    const auto decoded = Decode(dir / "t.ogg");
    ASSERT_EQ(decoded.size(), tone.size());
    EXPECT_NEAR(Rms(decoded, 0), Rms(tone, 0), Rms(tone, 0) * 0.05);
    EXPECT_LT(Rms(decoded, 1), 100) << "the right channel was silent";
}
