// Simulated drive faults and the overlapped read that recovers from them, as the reader uses
// it: a plain read, and on status 4 an overlapped read against the previous request's last frame.
#include "Rip32Support.h"

#include "support/TestDisc.h"

#include <gtest/gtest.h>

using namespace rip32test;
using testsupport::TempDir;

namespace
{

class Rip32Fault : public ::testing::Test
{
protected:
    CDHANDLE Open(const std::string& faults)
    {
        handle = OpenImages({testsupport::WriteTestDisc(dir, {200}, faults).image.descriptorPath});
        return handle;
    }
    void TearDown() override
    {
        if (handle) CloseCDHandle(handle);
    }
    // Reads request [start, start + 27) plainly into `ref`: the reference for the next one,
    // narrowed to its last frame the way the reader narrows it.
    void ReadReference(SectorBuffer& ref, uint32_t start)
    {
        ref.Request(start, 27);
        ASSERT_EQ(ReadCDAudioLBA(handle, ref.header()), 1u);
        CDSectorHeader* r = ref.header();
        r->dataOffset += (r->frameCount - 1) * CD_FRAME_BYTES;
        r->startFrame += r->frameCount - 1;
        r->frameCount = 1;
        r->bytesReturned = CD_FRAME_BYTES;
    }
    TempDir dir;
    CDHANDLE handle = 0;
};

} // namespace

TEST_F(Rip32Fault, StatusFourThenASuccessfulOverlappedRead)
{
    ASSERT_NE(Open("retry 40 1\n"), 0u);
    SectorBuffer ref(27), cur(27);
    ReadReference(ref, 0);
    cur.Request(27, 27);
    EXPECT_EQ(ReadCDAudioLBA(handle, cur.header()), 4u);
    EXPECT_EQ(ReadCDAudioLBAEx(handle, cur.header(), ref.header()), 1u);
    EXPECT_EQ(cur.header()->frameCount, 27u);
    EXPECT_EQ(cur.Data(), discimage::PatternBytes(27, 27));
}

TEST_F(Rip32Fault, ShiftedDataIsRefusedPlainlyAndRealignedByTheOverlappedRead)
{
    for (int shift : {4, -4, 7, 2352, -3000}) {
        ASSERT_NE(Open("shift 60 " + std::to_string(shift) + "\n"), 0u);
        SectorBuffer ref(27), cur(27);
        ReadReference(ref, 27);
        cur.Request(54, 27);
        EXPECT_EQ(ReadCDAudioLBA(handle, cur.header()), 4u) << shift;
        ASSERT_EQ(ReadCDAudioLBAEx(handle, cur.header(), ref.header()), 1u) << shift;
        EXPECT_EQ(cur.Data(), discimage::PatternBytes(54, 27)) << shift;
        CloseCDHandle(handle);
        handle = 0;
    }
}

TEST_F(Rip32Fault, WithoutAReferenceShiftedDataCannotBeVouchedFor)
{
    ASSERT_NE(Open("shift 10 8\n"), 0u);
    SectorBuffer never(27), cur(27);
    cur.Request(0, 27);
    EXPECT_EQ(ReadCDAudioLBA(handle, cur.header()), 4u);
    // A buffer that was never read: offset and byte count 0.
    EXPECT_EQ(ReadCDAudioLBAEx(handle, cur.header(), never.header()), 4u);
    EXPECT_EQ(ReadCDAudioLBAEx(handle, cur.header(), nullptr), 4u);
}

TEST_F(Rip32Fault, StatusFourThatNeverRecoversAndOtherStatusesAreFinal)
{
    ASSERT_NE(Open("retry 30 always\nerror 100 2\n"), 0u);
    SectorBuffer ref(27), cur(27);
    ReadReference(ref, 0);
    cur.Request(27, 27);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadCDAudioLBAEx(handle, cur.header(), ref.header()), 4u);
    cur.Request(81, 27);
    EXPECT_EQ(ReadCDAudioLBA(handle, cur.header()), 2u);
    EXPECT_EQ(ReadCDAudioLBAEx(handle, cur.header(), ref.header()), 2u);
    cur.Request(140, 27);
    EXPECT_EQ(ReadCDAudioLBA(handle, cur.header()), 1u); // the rest of the disc reads
}

TEST_F(Rip32Fault, WithoutAFaultFileTheOverlappedReadMatchesThePlainOne)
{
    ASSERT_NE(Open(""), 0u);
    SectorBuffer ref(27), cur(27);
    ReadReference(ref, 100);
    cur.Request(127, 27);
    ASSERT_EQ(ReadCDAudioLBAEx(handle, cur.header(), ref.header()), 1u);
    EXPECT_EQ(cur.Data(), discimage::PatternBytes(127, 27));
    // A reference that does not lie before the request is not used for alignment.
    ReadReference(ref, 150);
    cur.Request(10, 27);
    ASSERT_EQ(ReadCDAudioLBAEx(handle, cur.header(), ref.header()), 1u);
    EXPECT_EQ(cur.Data(), discimage::PatternBytes(10, 27));
}
