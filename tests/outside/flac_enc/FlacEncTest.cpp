// libflac_enc.so through its exports: refused records, and the completed head written only
// into the file of the stream it belongs to, also when several streams finish at once; the
// seek table's room in the padding.
#include "FlacHead.h"

#include "include/BladeEnc.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>

namespace ts = testsupport;

namespace
{

struct FlacEnc {
    BeInitStreamFn init;
    BeEncodeChunkFn encode;
    BeDeinitStreamFn deinit;
    BeCloseStreamFn close;
    BeWriteVBRHeaderFn writeHead;
};

const FlacEnc& Api()
{
    static const FlacEnc api = [] {
        void* lib = dlopen((ts::BinDir() + "/libflac_enc.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib) return FlacEnc{};
        return FlacEnc{reinterpret_cast<BeInitStreamFn>(dlsym(lib, "beInitStream")),
                       reinterpret_cast<BeEncodeChunkFn>(dlsym(lib, "beEncodeChunk")),
                       reinterpret_cast<BeDeinitStreamFn>(dlsym(lib, "beDeinitStream")),
                       reinterpret_cast<BeCloseStreamFn>(dlsym(lib, "beCloseStream")),
                       reinterpret_cast<BeWriteVBRHeaderFn>(dlsym(lib, "beWriteVBRHeader"))};
    }();
    return api;
}

BEConfigFlac Record(const char* title)
{
    BEConfigFlac r{};
    r.kind = BE_CONFIG_FLAC;
    r.version = BE_FLAC_RECORD_VERSION;
    r.channels = 2;
    r.sampleRate = 44100;
    r.bitsPerSample = 16;
    r.compressionLevel = BE_FLAC_LEVEL_DEFAULT;
    r.verify = 1;
    r.title = title;
    return r;
}

// A finished stream of `pairs` sample pairs (seeded audio) written to `path`; its handle.
BEStream Encode(const char* title, size_t pairs, unsigned seed, const std::string& path)
{
    BEConfigFlac record = Record(title);
    uint32_t samples = 0, size = 0;
    BEStream stream = 0;
    EXPECT_EQ(Api().init(&record, &samples, &size, &stream), BE_ERR_SUCCESSFUL);
    std::vector<uint8_t> output(size), file;
    std::vector<int16_t> pcm(samples);
    for (size_t done = 0; done < 2 * pairs;) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(samples, 2 * pairs - done));
        for (uint32_t i = 0; i < n; ++i)
            pcm[i] = static_cast<int16_t>((done + i) * seed % 20011);
        uint32_t length = 0;
        Api().encode(stream, n, pcm.data(), output.data(), &length);
        file.insert(file.end(), output.begin(), output.begin() + length);
        done += n;
    }
    uint32_t length = 0;
    EXPECT_EQ(Api().deinit(stream, output.data(), &length), BE_ERR_SUCCESSFUL);
    file.insert(file.end(), output.begin(), output.begin() + length);
    ts::WriteFile(path, std::string(file.begin(), file.end()));
    return stream;
}

std::string Md5(const std::string& flac)
{
    return ts::Run({"/usr/bin/metaflac", "--show-md5sum", flac}).out;
}

} // namespace

TEST(FlacEnc, RecordsItCannotFollowAreRefusedWithoutAStream)
{
    ASSERT_NE(Api().init, nullptr);
    for (auto change : {+[](BEConfigFlac& r) { r.kind = BE_CONFIG_VORBIS; },
                        +[](BEConfigFlac& r) { r.compressionLevel = 9; },
                        +[](BEConfigFlac& r) { r.bitsPerSample = 24; },
                        +[](BEConfigFlac& r) { r.title = "\xE9"; }}) { // not UTF-8
        BEConfigFlac record = Record("t");
        change(record);
        uint32_t samples = 0, size = 0;
        BEStream stream = 7;
        EXPECT_NE(Api().init(&record, &samples, &size, &stream), BE_ERR_SUCCESSFUL);
        EXPECT_EQ(stream, 0u);
    }
}

TEST(FlacEnc, EachFinishedStreamCompletesOnlyItsOwnFile)
{
    ts::TempDir dir;
    // Same title and length, different audio: only the bytes tell the files apart.
    const BEStream a = Encode("same", 50000, 3, dir / "a.flac");
    const BEStream b = Encode("same", 50000, 5, dir / "b.flac");

    // A file changed after the stream wrote it is no stream's: refused, left as it is.
    auto changed = ts::ReadBytes(dir / "a.flac");
    changed[changed.size() / 2] ^= 1;
    ts::WriteFile(dir / "x.flac", std::string(changed.begin(), changed.end()));
    EXPECT_NE(Api().writeHead((dir / "x.flac").c_str()), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(ts::ReadBytes(dir / "x.flac"), changed);

    EXPECT_EQ(Api().writeHead((dir / "b.flac").c_str()), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(Api().writeHead((dir / "a.flac").c_str()), BE_ERR_SUCCESSFUL);
    EXPECT_NE(Api().writeHead((dir / "a.flac").c_str()), BE_ERR_SUCCESSFUL) << "written once";
    for (const char* name : {"a.flac", "b.flac"}) {
        const std::string flac = dir / name;
        EXPECT_EQ(ts::Run({"/usr/bin/flac", "-t", "-s", flac}).exitCode, 0) << name;
        EXPECT_EQ(ts::Run({"/usr/bin/metaflac", "--show-total-samples", flac}).out, "50000\n");
    }
    EXPECT_NE(Md5(dir / "a.flac"), Md5(dir / "b.flac"));
    EXPECT_NE(Md5(dir / "a.flac"), "00000000000000000000000000000000\n");
    Api().close(a);
    Api().close(b);
}

TEST(FlacHead, SeekPointsAreThinnedToFitThePaddingAndTheHeadKeepsItsSize)
{
    // "fLaC", a STREAMINFO of zeros and 100 bytes of padding, the last block.
    std::vector<uint8_t> head = {'f', 'L', 'a', 'C', 0, 0, 0, 34};
    head.resize(head.size() + 34);
    head.insert(head.end(), {0x81, 0, 0, 100});
    head.resize(head.size() + 100);
    std::vector<flacenc::FrameMark> frames;
    for (uint64_t i = 0; i < 50; ++i)
        frames.push_back({i * 4096, i * 1000, 4096});
    const auto points = flacenc::SeekPoints(frames, 50 * 4096, 8192);
    ASSERT_EQ(points.size(), 25u);
    EXPECT_EQ(points[1].sample, 8192u);

    const auto done = flacenc::CompleteHead(head, std::vector<uint8_t>(34, 0xAB), points);
    ASSERT_EQ(done.size(), head.size());
    EXPECT_EQ(done[8], 0xAB);
    // 25 points of 18 bytes need 454: halved to 4 points (72 bytes + 4) in the 100.
    EXPECT_EQ(done[42], FLAC__METADATA_TYPE_SEEKTABLE); // not the last block
    EXPECT_EQ(done[45], 72);
    EXPECT_EQ(done[46 + 72], 0x81); // the padding stays the last block
    EXPECT_EQ(done[46 + 72 + 3], 100 - 76);
    EXPECT_TRUE(flacenc::CompleteHead({'f', 'L', 'a', 'C', 0x81, 0, 0, 9}, {}, {}).empty());
}
