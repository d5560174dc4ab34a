// One Ogg Vorbis stream of the vorb_enc stand-in: libvorbisenc and libogg set up from the
// Vorbis configuration record, 16-bit stereo PCM in, whole Ogg pages out.
#pragma once

#include "BladeEnc.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vorbenc
{

// 16-bit samples (both channels counted) per beEncodeChunk call that beInitStream asks for.
constexpr uint32_t kSamplesPerChunk = 8192;
// Used when the record gives neither a nominal nor a minimum or maximum bitrate.
constexpr int32_t kDefaultNominalKbps = 128;
// The largest Ogg page: header, 255 lacing values, 255 segments of 255 bytes.
constexpr uint32_t kMaxPageBytes = 27 + 255 + 255 * 255;

class VorbisEncoder
{
public:
    ~VorbisEncoder();
    VorbisEncoder(const VorbisEncoder&) = delete;
    VorbisEncoder& operator=(const VorbisEncoder&) = delete;

    // Checks the record and starts a stream: its header pages wait for the first output.
    // Null with a BE_ERR_ code in `error` when the record is not usable.
    static std::unique_ptr<VorbisEncoder> Create(const BEConfigVorbis& config, uint32_t& error);

    // Bytes of output one call can give at most, headers included.
    uint32_t OutputBufferSize() const { return _outputBufferSize; }

    // Encodes sampleCount little-endian 16-bit samples (interleaved stereo, at most
    // kSamplesPerChunk, an even number) and hands out the pages completed so far.
    uint32_t Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output,
                    uint32_t* outputLength);
    // Ends the stream and hands out its last pages; later calls give nothing.
    uint32_t Finish(uint8_t* output, uint32_t* outputLength);

private:
    VorbisEncoder() = default;
    uint32_t Start(const BEConfigVorbis& config);
    // Runs the analysis over what was written and queues the packets; `flush` forces every
    // queued packet out into pages.
    void Drain(bool flush);
    void AppendPage(const ogg_page& page);
    // Copies as much pending output as the caller's buffer holds.
    uint32_t HandOut(uint8_t* output, uint32_t* outputLength);

    vorbis_info _info{};
    vorbis_comment _comment{};
    vorbis_dsp_state _dsp{};
    vorbis_block _block{};
    ogg_stream_state _ogg{};
    bool _infoReady = false, _dspReady = false, _oggReady = false;
    bool _finished = false;
    uint32_t _outputBufferSize = 0;
    std::vector<uint8_t> _pending; // whole pages not yet handed out
    std::mutex _mutex;             // one call at a time per stream
};

} // namespace vorbenc
