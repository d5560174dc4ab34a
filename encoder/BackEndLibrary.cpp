#include "BackEndLibrary.h"

namespace veltraenc
{

namespace
{

template <typename Fn> Fn LookUp(plat::ModuleHandle library, const char* name)
{
    return library ? reinterpret_cast<Fn>(plat::GetProcAddress(library, name)) : nullptr;
}

} // namespace

BackEndEntryPoints LookUpEntryPoints(plat::ModuleHandle library)
{
    BackEndEntryPoints e;
    e.initStream = LookUp<BeInitStreamFn>(library, "beInitStream");
    e.encodeChunk = LookUp<BeEncodeChunkFn>(library, "beEncodeChunk");
    e.deinitStream = LookUp<BeDeinitStreamFn>(library, "beDeinitStream");
    e.closeStream = LookUp<BeCloseStreamFn>(library, "beCloseStream");
    e.version = LookUp<BeVersionFn>(library, "beVersion");
    e.writeVbrHeader = LookUp<BeWriteVBRHeaderFn>(library, "beWriteVBRHeader");
    return e;
}

BeVersionFn LookUpVersion(plat::ModuleHandle library)
{
    return LookUp<BeVersionFn>(library, "beVersion");
}

} // namespace veltraenc
