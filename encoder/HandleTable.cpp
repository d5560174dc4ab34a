#include "HandleTable.h"

#include "BackEndLibrary.h"
#include "FlacStream.h"
#include "LameStream.h"
#include "Mp3Stream.h"
#include "OpusStream.h"
#include "RawStream.h"
#include "VorbisStream.h"
#include "WavStream.h"

#include <new>

namespace veltraenc
{

std::unique_ptr<OutputStream> CreateStream(EncoderType type)
{
    try {
        switch (type) {
        case XT_ENCODER_RAW:
            return std::make_unique<RawStream>();
        case XT_ENCODER_WAV:
            return std::make_unique<WavStream>();
        case XT_ENCODER_LAME1:
            return std::make_unique<Mp3Stream>(kLameLibrary);
        case XT_ENCODER_LAME2:
            return std::make_unique<LameStream>();
        case XT_ENCODER_BLADE:
            return std::make_unique<Mp3Stream>(kBladeLibrary);
        case XT_ENCODER_VORB:
            return std::make_unique<VorbisStream>();
        case XT_ENCODER_FLAC:
            return std::make_unique<FlacStream>();
        case XT_ENCODER_OPUS:
            return std::make_unique<OpusStream>();
        default:
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

HandleTable& HandleTable::Instance()
{
    static HandleTable table;
    return table;
}

StreamHandle HandleTable::Acquire(EncoderType type)
{
    if (!_cleared) {
        for (auto& slot : _slots)
            slot.reset();
        _cleared = true;
    }

    int taken = -1;
    if (_cursor == -1 && !_slots[0]) {
        taken = 0;
    } else {
        for (int i = 1; i <= XT_MAX_STREAMS && taken < 0; ++i) {
            const int candidate = (_cursor + i) % XT_MAX_STREAMS;
            if (!_slots[candidate]) taken = candidate;
        }
        if (taken < 0) return XT_NO_HANDLE;
    }
    // Handles rotate: the cursor moves even when the type turns out to be unknown.
    _cursor = taken;
    if (type < XT_ENCODER_RAW || type > XT_ENCODER_OPUS) return XT_NO_HANDLE;

    // Without memory the slot stays empty but the handle is still given; calls on it give 0.
    _slots[taken] = CreateStream(type);
    return taken + 1;
}

OutputStream* HandleTable::Find(StreamHandle handle) const
{
    if (handle < 1 || handle > XT_MAX_STREAMS) return nullptr;
    return _slots[handle - 1].get();
}

int HandleTable::Close(StreamHandle handle)
{
    OutputStream* stream = Find(handle);
    if (!stream) return 0;
    const int result = stream->Close();
    _slots[handle - 1].reset();
    return result;
}

void HandleTable::ResetForTests()
{
    for (auto& slot : _slots)
        slot.reset();
    _cursor = -1;
    _cleared = false;
}

} // namespace veltraenc
