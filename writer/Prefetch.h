#pragma once

#include <QtGlobal>

// Asks for the cache line at the address ahead of its use: lookups that would
// each wait for memory in turn can then wait for it together.
inline void prefetchLine(const void *address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address);
#endif
}
