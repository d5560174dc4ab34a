// The read-offset correction against a drive modelled on the generator's pattern: whatever
// the offset, the kept bytes are the disc's own samples of the track, or zeros where the
// drive has nothing to give.
#include "app/rip/OffsetReader.h"
#include "discimage/DiscImage.h"

#include <gtest/gtest.h>

namespace
{

constexpr uint32_t kLeadout = 300;

// The drive: frame F starts at disc sample 588 F - offset; outside the disc zeros, or some
// lead-in/lead-out noise when it overreads.
std::vector<uint8_t> DriveRead(int64_t frame, uint32_t count, int32_t offset)
{
    std::vector<uint8_t> out(count * 2352, 0);
    for (int64_t j = 0; j < count * 588; ++j) {
        const int64_t s = frame * 588 + j - offset;
        if (s >= 0 && s < kLeadout * 588)
            discimage::PatternSample(static_cast<uint32_t>(s / 588), static_cast<uint32_t>(s % 588),
                                     out.data() + j * 4);
        else
            std::fill_n(out.data() + j * 4, 4, uint8_t{0xEE});
    }
    return out;
}

struct Ripped {
    std::vector<uint8_t> bytes;
    uint64_t front = 0, back = 0, outside = 0;
};

Ripped Rip(uint32_t start, uint32_t frames, int32_t offset, bool overread)
{
    OffsetReader reader(start, frames, kLeadout, offset);
    Ripped r;
    r.outside = reader.outsideSamples();
    while (!reader.done()) {
        const OffsetRequest q = reader.Next(27);
        EXPECT_GT(q.count, 0u);
        EXPECT_LE(q.count, 27u);
        const bool zeros = q.outside && !overread;
        const auto data =
            zeros ? std::vector<uint8_t>(q.count * 2352, 0) : DriveRead(q.frame, q.count, offset);
        if (q.outside) { // a request off the disc never holds a frame on it
            EXPECT_TRUE(q.frame + q.count <= 0 || q.frame >= kLeadout);
        }
        const KeptBytes kept = reader.Keep(q, zeros);
        r.bytes.insert(r.bytes.end(), data.begin() + kept.from,
                       data.begin() + kept.from + kept.length);
    }
    r.front = reader.zeroSamplesFront();
    r.back = reader.zeroSamplesBack();
    return r;
}

} // namespace

TEST(OffsetReader, EveryTrackGetsTheDiscsOwnSamplesAtEveryOffset)
{
    for (int32_t offset : {667, 6, -1164, 48, 0, 588, -588, 2940, -2940, 1}) {
        for (auto [start, frames] : {std::pair<uint32_t, uint32_t>{0, 100},
                                     {100, 57},
                                     {157, 143},
                                     {0, kLeadout},
                                     {299, 1}}) {
            const Ripped r = Rip(start, frames, offset, false);
            auto expected = discimage::PatternBytes(start, frames);
            // Where the drive had to be asked outside the disc, zeros stand in.
            const int64_t lead = std::max<int64_t>(0, -(int64_t{start} * 588 + offset));
            const int64_t tail =
                std::max<int64_t>(0, int64_t{start + frames} * 588 + offset - kLeadout * 588);
            const int64_t n = int64_t{frames} * 588;
            std::fill_n(expected.begin(), std::min(lead, n) * 4, uint8_t{0});
            std::fill_n(expected.end() - std::min(tail, n) * 4, std::min(tail, n) * 4, uint8_t{0});
            ASSERT_EQ(r.bytes.size(), expected.size()) << offset << " " << start;
            EXPECT_TRUE(r.bytes == expected) << offset << " track at " << start;
            EXPECT_EQ(r.front, static_cast<uint64_t>(std::min(lead, n)));
            EXPECT_EQ(r.back, static_cast<uint64_t>(std::min(tail, n)));
            EXPECT_EQ(r.outside, r.front + r.back);

            // A drive that overreads gives the disc's own samples throughout.
            const Ripped o = Rip(start, frames, offset, true);
            EXPECT_TRUE(o.bytes == discimage::PatternBytes(start, frames)) << offset;
            EXPECT_EQ(o.front + o.back, 0u);
        }
    }
}
