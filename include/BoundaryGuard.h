/* The one guard every library puts around its C exports: nothing thrown inside (memory running
 * out, a failed lock) crosses into a C caller; it becomes the export's failure result instead.
 * C++ only; a C file that includes it gets nothing. */
#ifndef BOUNDARYGUARD_H
#define BOUNDARYGUARD_H

#ifdef __cplusplus

namespace boundary
{

template <typename Result, typename Body> Result Guarded(Result failure, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// For exports with no result: whatever is thrown is dropped.
template <typename Body> void Guarded(Body body) noexcept
{
    try {
        body();
    } catch (...) {
    }
}

} // namespace boundary

#endif

#endif
