// The outside encoder libraries: their file names, an owning module handle and the binding
// of the six BladeEnc-style entry points.
#pragma once

#include "include/BladeEnc.h"
#include "platform/DynamicLibrary.h"

#include <memory>

namespace veltraenc
{

// Loaded by name through the platform's search (the encoder library's own folder first).
constexpr const char* kLameLibrary = "lame_enc.dll";
constexpr const char* kBladeLibrary = "bladeenc.dll";
constexpr const char* kVorbisLibrary = "vorb_enc.dll";
constexpr const char* kFlacLibrary = "flac_enc.dll";
constexpr const char* kOpusLibrary = "opus_enc.dll";

struct LibraryFreer {
    void operator()(plat::ModuleObject* module) const { plat::FreeLibrary(module); }
};
using LibraryHandle = std::unique_ptr<plat::ModuleObject, LibraryFreer>;

inline LibraryHandle LoadBackEndLibrary(const char* fileName)
{
    return LibraryHandle(plat::LoadLibrary(fileName));
}

struct BackEndEntryPoints {
    BeInitStreamFn initStream = nullptr;
    BeEncodeChunkFn encodeChunk = nullptr;
    BeDeinitStreamFn deinitStream = nullptr;
    BeCloseStreamFn closeStream = nullptr;
    BeVersionFn version = nullptr;
    BeWriteVBRHeaderFn writeVbrHeader = nullptr; // optional

    // All entry points but the optional VBR header writer are there.
    bool IsComplete() const
    {
        return initStream && encodeChunk && deinitStream && closeStream && version;
    }
};

// Looks up all six names in the library (every pointer null for a null library).
BackEndEntryPoints LookUpEntryPoints(plat::ModuleHandle library);

// beVersion of the library, or null.
BeVersionFn LookUpVersion(plat::ModuleHandle library);

} // namespace veltraenc
