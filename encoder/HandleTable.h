// The library-global table of the 32 streams that xtGetEncoder created, with the rotating
// slot search; a handle is the slot index plus one.
#pragma once

#include "OutputStream.h"

#include "include/Veltraenc.h"

#include <array>
#include <memory>

namespace veltraenc
{

// The stream of an encoder type; null for a type outside 0-7 or when memory runs out.
std::unique_ptr<OutputStream> CreateStream(EncoderType type);

class HandleTable
{
public:
    static HandleTable& Instance();

    // A handle for a new stream of the type, or 0 (full table, unknown type).
    StreamHandle Acquire(EncoderType type);
    // The stream of a handle, or null for a handle outside 1-32 or an empty slot.
    OutputStream* Find(StreamHandle handle) const;
    // Closes the stream, destroys it and empties its slot; 0 for a bad handle.
    int Close(StreamHandle handle);

    // Back to the state at load, for tests in one process; not exported.
    void ResetForTests();

private:
    std::array<std::unique_ptr<OutputStream>, XT_MAX_STREAMS> _slots;
    int _cursor = -1; // slot given out last
    bool _cleared = false;
};

} // namespace veltraenc
