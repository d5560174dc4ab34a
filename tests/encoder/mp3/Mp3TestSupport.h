// Helpers of the MP3 stream tests: streams on the recording back-end, its calls as a list, and
// PCM whose every byte differs from its neighbours.
#pragma once

#include "RecordingBackEnd.h"

#include "encoder/LameStream.h"
#include "encoder/Mp3Stream.h"
#include "include/Veltraenc.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace mp3test
{

// The recording back-end, loaded the way the encoder library loads every back-end.
constexpr const char* kRecorder = "vencrec.dll";

inline std::vector<unsigned char> Pcm(size_t count)
{
    std::vector<unsigned char> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + (i >> 8) * 3 + 1);
    return bytes;
}

inline RecPlan Plan(uint32_t samplesPerChunk = 2304, uint32_t outputPerChunk = 100,
                    uint32_t outputAtDeinit = 50)
{
    return RecPlan{BE_ERR_SUCCESSFUL, 7, samplesPerChunk, 8640, outputPerChunk, outputAtDeinit};
}

inline std::vector<RecCall> Calls()
{
    std::vector<RecCall> calls;
    for (size_t i = 0; i < recCallCount(); ++i)
        calls.push_back(*recCall(i));
    return calls;
}

inline std::vector<int> Kinds()
{
    std::vector<int> kinds;
    for (const RecCall& call : Calls())
        kinds.push_back(call.kind);
    return kinds;
}

inline std::vector<unsigned char> Received()
{
    size_t size = 0;
    const uint8_t* bytes = recReceived(&size);
    return std::vector<unsigned char>(bytes, bytes + size);
}

// The bytes the recorder produced for its first `count` output bytes.
inline std::vector<unsigned char> Produced(size_t count)
{
    std::vector<unsigned char> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}

// Points a stream's output at folder/name.MP3.
inline void Name(veltraenc::OutputStream& s, const std::string& folder, const std::string& name)
{
    ASSERT_EQ(s.SetAsciiOption(OUTPUT_DIR, folder.c_str()), 1);
    ASSERT_EQ(s.SetAsciiOption(FILE_NAME, name.c_str()), 1);
}

} // namespace mp3test
