// The simulated drive of the fault file through the exports: read offset, overread, INQUIRY
// data, and a disc that changes or goes between two tables of contents on one open handle.
#include "FaultPlan.h"
#include "Rip32Support.h"

#include "support/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace rip32test;
using testsupport::TempDir;

namespace
{

constexpr int64_t kSamples = 588;

// What a drive with read offset `offset` delivers for `frames` frames from `frame`: sample j
// is the disc's sample j - offset; outside the disc zeros, or lead-in/lead-out when it
// overreads.
std::vector<uint8_t> Delivered(int64_t frame, uint32_t frames, int64_t offset, uint32_t leadout,
                               bool overread)
{
    std::vector<uint8_t> out(frames * CD_FRAME_BYTES, 0);
    for (int64_t j = 0; j < frames * kSamples; ++j) {
        const int64_t s = frame * kSamples + j - offset;
        uint8_t* at = out.data() + j * 4;
        if (s >= 0 && s < leadout * kSamples)
            discimage::PatternSample(static_cast<uint32_t>(s / kSamples),
                                     static_cast<uint32_t>(s % kSamples), at);
        else if (overread)
            std::memcpy(at, s < 0 ? rip32::kLeadInSample : rip32::kLeadOutSample, 4);
    }
    return out;
}

class Rip32Drive : public ::testing::Test
{
protected:
    CDHANDLE Open(const std::string& faults, std::vector<uint32_t> lengths = {300, 200})
    {
        discimage::DiscLayout layout;
        layout.audioLengths = lengths;
        image = discimage::WriteDiscImage(layout, dir / "d");
        testsupport::WriteFile(image.descriptorPath + ".faults", faults);
        handle = OpenImages({image.descriptorPath});
        return handle;
    }
    uint32_t Read(SectorBuffer& buffer, int64_t frame, uint32_t count)
    {
        buffer.Request(static_cast<uint32_t>(frame), count);
        return ReadCDAudioLBA(handle, buffer.header());
    }
    void TearDown() override
    {
        if (handle) CloseCDHandle(handle);
    }
    TempDir dir;
    discimage::WrittenImage image;
    CDHANDLE handle = 0;
};

} // namespace

TEST_F(Rip32Drive, ReadOffsetShiftsEveryReadTheWayTheTableCountsIt)
{
    for (int64_t offset : {667, 6, -1164, 48}) {
        ASSERT_NE(Open("offset " + std::to_string(offset) + "\n"), 0u);
        SectorBuffer buffer(27);
        for (int64_t frame : {0, 100, 473}) {
            ASSERT_EQ(Read(buffer, frame, 27), 1u) << offset;
            EXPECT_EQ(buffer.Data(), Delivered(frame, 27, offset, 500, false))
                << offset << " at " << frame;
        }
        // No drive reads past the lead-out without overreading.
        EXPECT_EQ(Read(buffer, 499, 2), 2u);
        CloseCDHandle(handle);
        handle = 0;
    }
}

TEST_F(Rip32Drive, AnOverreadingDriveDeliversLeadInAndLeadOut)
{
    ASSERT_NE(Open("offset -700\noverread\n"), 0u);
    SectorBuffer buffer(27);
    ASSERT_EQ(Read(buffer, -3, 5), 1u);
    EXPECT_EQ(buffer.Data(), Delivered(-3, 5, -700, 500, true));
    ASSERT_EQ(Read(buffer, 498, 4), 1u);
    EXPECT_EQ(buffer.Data(), Delivered(498, 4, -700, 500, true));
    EXPECT_EQ(Read(buffer, 500 + rip32::kOverreadFrames, 1), 2u); // not that far

    // The overlapped read aligns on a reference the same way.
    SectorBuffer ref(27);
    ASSERT_EQ(Read(ref, -5, 3), 1u);
    CDSectorHeader* r = ref.header();
    r->dataOffset += 2 * CD_FRAME_BYTES;
    r->startFrame += 2;
    r->frameCount = 1;
    r->bytesReturned = CD_FRAME_BYTES;
    buffer.Request(static_cast<uint32_t>(-2), 10);
    ASSERT_EQ(ReadCDAudioLBAEx(handle, buffer.header(), ref.header()), 1u);
    EXPECT_EQ(buffer.Data(), Delivered(-2, 10, -700, 500, true));
}

TEST_F(Rip32Drive, InquiryDataComesFromTheDriveLine)
{
    ASSERT_NE(Open("drive PIONEER BD-RW   BDR-X12\n"), 0u);
    CDDriveInquiry info;
    ASSERT_EQ(GetCDDriveInquiry(handle, &info), 1u);
    EXPECT_STREQ(info.vendor, "PIONEER");
    EXPECT_STREQ(info.model, "BD-RW   BDR-X12");
    EXPECT_EQ(GetCDDriveInquiry(handle, nullptr), 0u);
    EXPECT_EQ(GetCDDriveInquiry(0, &info), 0u);
    CloseCDHandle(handle);
    handle = 0;
    ASSERT_NE(Open(""), 0u);
    std::memset(&info, 'x', sizeof info);
    EXPECT_EQ(GetCDDriveInquiry(handle, &info), 0u);
    EXPECT_EQ(info.vendor[0], 0);
}

TEST_F(Rip32Drive, EveryTableOfContentsSeesTheDiscAsItIsNow)
{
    ASSERT_NE(Open("", {300, 200}), 0u);
    CDTocRecord toc{};
    ASSERT_EQ(ReadTOC(handle, &toc), 1u);
    EXPECT_EQ(toc.lastTrack, 2);

    // The image rewritten under the same name with another layout.
    discimage::DiscLayout layout;
    layout.audioLengths = {100, 100, 150};
    discimage::WriteDiscImage(layout, dir / "d");
    ASSERT_EQ(ReadTOC(handle, &toc), 1u);
    EXPECT_EQ(toc.lastTrack, 3);
    EXPECT_EQ(Address(toc.descriptors[3]), 350u);
    SectorBuffer buffer(27);
    ASSERT_EQ(Read(buffer, 340, 10), 1u); // reads by the new layout
    EXPECT_EQ(Read(buffer, 345, 10), 2u);

    // An eject written while the handle is open: one table of contents without a disc.
    testsupport::WriteFile(image.descriptorPath + ".faults", "eject\n");
    EXPECT_EQ(ReadTOC(handle, &toc), 3u);
    EXPECT_EQ(ReadTOC(handle, &toc), 1u);

    // A rewrite that does not parse is no disc; a good one brings the disc back.
    testsupport::WriteFile(image.descriptorPath, "FILE \"nothing.bin\" BINARY\n");
    EXPECT_NE(ReadTOC(handle, &toc), 1u);
    EXPECT_NE(Read(buffer, 0, 1), 1u);
    discimage::WriteDiscImage(layout, dir / "d");
    EXPECT_EQ(ReadTOC(handle, &toc), 1u);
    EXPECT_EQ(Read(buffer, 0, 1), 1u);
}
