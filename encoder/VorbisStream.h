// Encoder type 5: Ogg Vorbis through "vorb_enc.dll"; the tag texts go to the back-end as UTF-8
// instead of an ID3 tag, so the tag level always stays 0.
#pragma once

#include "EncoderStream.h"

namespace veltraenc
{

// Passed through to the back-end; their meaning is the back-end's.
struct VorbisParameters {
    int32_t parameter6 = -1;
    int32_t parameter5 = 128;
    int32_t parameter4 = -1;
};

class VorbisStream : public EncoderStream
{
public:
    VorbisStream();
    // A stream on another back-end library of the same interface (tests use recorders).
    explicit VorbisStream(const char* libraryName);
    // Starts the back-end with the Vorbis record: 1 when started.
    int Init() override;
    int SetIntOption(int option, int value) override;

    const VorbisParameters& Parameters() const { return _parameters; }

protected:
    uint64_t ChunkBytes(uint64_t reportedSamples) const override;

private:
    // The record with the stream's parameters and the given UTF-8 texts (null for none).
    BEConfigVorbis MakeConfig(const char* title, const char* album, const char* artist,
                              const char* year) const;

    VorbisParameters _parameters;
};

} // namespace veltraenc
