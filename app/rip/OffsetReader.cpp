#include "OffsetReader.h"

#include "CdAudio.h"

#include <algorithm>

namespace
{

constexpr int64_t kSamples = CD_SAMPLES_PER_FRAME;

int64_t FloorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

OffsetReader::OffsetReader(uint32_t trackStart, uint32_t trackFrames, uint32_t discEnd,
                           int32_t offset)
    : firstSample_(int64_t{trackStart} * kSamples + offset),
      endSample_(int64_t{trackStart + trackFrames} * kSamples + offset),
      discEndSample_(int64_t{discEnd} * kSamples), next_(FloorDiv(firstSample_, kSamples)),
      end_(FloorDiv(endSample_ + kSamples - 1, kSamples))
{
}

OffsetRequest OffsetReader::Next(uint32_t maxFrames) const
{
    OffsetRequest r;
    r.frame = next_;
    int64_t stop = std::min<int64_t>(end_, next_ + maxFrames);
    const int64_t discEnd = discEndSample_ / kSamples;
    if (next_ < 0) {
        r.outside = true;
        stop = std::min<int64_t>(stop, 0);
    } else if (next_ >= discEnd) {
        r.outside = true;
    } else {
        stop = std::min(stop, discEnd);
    }
    r.count = static_cast<uint32_t>(std::max<int64_t>(stop - next_, 0));
    return r;
}

KeptBytes OffsetReader::Keep(const OffsetRequest& request, bool zeroFilled)
{
    const int64_t begin = std::max(request.frame * kSamples, firstSample_);
    const int64_t end = std::min((request.frame + request.count) * kSamples, endSample_);
    KeptBytes kept;
    if (end > begin) {
        kept.from = static_cast<size_t>((begin - request.frame * kSamples) * 4);
        kept.length = static_cast<size_t>((end - begin) * 4);
        if (zeroFilled) (request.frame < 0 ? zeroFront_ : zeroBack_) += end - begin;
    }
    next_ = request.frame + request.count;
    return kept;
}

uint64_t OffsetReader::outsideSamples() const
{
    const int64_t before = std::clamp<int64_t>(0 - firstSample_, 0, endSample_ - firstSample_);
    const int64_t after =
        std::clamp<int64_t>(endSample_ - discEndSample_, 0, endSample_ - firstSample_);
    return static_cast<uint64_t>(before + after);
}
