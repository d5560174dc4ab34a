// Helpers of the encoder tests: a fresh handle table per test, PCM patterns, little-endian
// reads and the programs the tests run.
#pragma once

#include "encoder/HandleTable.h"
#include "include/Veltraenc.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace enctest
{

// Every test starts as a freshly loaded library would.
class XtTest : public ::testing::Test
{
protected:
    void SetUp() override { veltraenc::HandleTable::Instance().ResetForTests(); }
    void TearDown() override { veltraenc::HandleTable::Instance().ResetForTests(); }
};

// Bytes that differ from position to position, so misplaced data shows.
inline std::vector<unsigned char> Pcm(size_t count, unsigned seed = 1)
{
    std::vector<unsigned char> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>((i * 7 + seed * 13) ^ (i >> 8));
    return bytes;
}

inline unsigned Le32(const std::vector<unsigned char>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<unsigned>(b[at + 3]) << 24;
}

inline unsigned Le16(const std::vector<unsigned char>& b, size_t at)
{
    return b[at] | b[at + 1] << 8;
}

// Full path of a program found on PATH ("" when missing).
std::string FindProgram(const std::string& name);
// The folder of this test program, where the fake back-ends and the C client are built.
std::string TestBinDir();

// A stream of the type whose path options point at folder/name.
StreamHandle OpenStream(int type, const std::string& folder, const std::string& name);

} // namespace enctest
