#include "app/session/FreedMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace freedMemory {

#ifdef __GLIBC__

namespace {
// Blocks of this size and more are mapped on their own and go back when freed.
constexpr int ownMapping = 32 << 20;
// Free memory kept for the next step; during the save, the library's default.
constexpr int keptFree = 256 << 20;
constexpr int keptFreeWhileSaving = 128 << 10;
} // namespace

void keepForReuse()
{
    // Setting either value also stops the library from moving them itself.
    mallopt(M_MMAP_THRESHOLD, ownMapping);
    mallopt(M_TRIM_THRESHOLD, keptFree);
}

void releaseForSave()
{
    mallopt(M_TRIM_THRESHOLD, keptFreeWhileSaving);
    malloc_trim(0);
}

void saveEnded()
{
    mallopt(M_TRIM_THRESHOLD, keptFree);
}

#else

void keepForReuse() {}
void releaseForSave() {}
void saveEnded() {}

#endif

} // namespace freedMemory
