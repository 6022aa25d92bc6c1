#pragma once

#include <QtGlobal>

#include <memory>
#include <new>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

// A save fills tens of megabytes of fresh arrays once. Page by page, the
// faults that bring them in cost about as much as the work on them, and
// random reads into them miss the address cache as well: on Linux, arrays of
// a huge page or more ask for huge pages. Elsewhere this is std::allocator.
template<typename T>
class BigAllocator
{
public:
    using value_type = T;

    BigAllocator() = default;
    template<typename U>
    BigAllocator(const BigAllocator<U> &) noexcept
    {
    }

    [[nodiscard]] T *allocate(size_t n)
    {
#ifdef Q_OS_LINUX
        if (n * sizeof(T) >= hugePage)
            return static_cast<T *>(mapHuge(rounded(n)));
#endif
        return std::allocator<T>().allocate(n);
    }

    void deallocate(T *p, size_t n) noexcept
    {
#ifdef Q_OS_LINUX
        if (n * sizeof(T) >= hugePage) {
            munmap(p, rounded(n));
            return;
        }
#endif
        std::allocator<T>().deallocate(p, n);
    }

    template<typename U>
    bool operator==(const BigAllocator<U> &) const noexcept
    {
        return true;
    }

private:
    static constexpr size_t hugePage = size_t(2) << 20;

    static size_t rounded(size_t n) { return (n * sizeof(T) + hugePage - 1) / hugePage * hugePage; }

#ifdef Q_OS_LINUX
    // Mapped, not taken from the heap, so that freeing gives the memory
    // back at once; aligned to a huge page by unmapping what lies around it.
    static void *mapHuge(size_t bytes)
    {
        void *mapped = mmap(nullptr, bytes + hugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<quintptr>(mapped);
        const quintptr aligned = (start + hugePage - 1) / hugePage * hugePage;
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (const size_t after = start + hugePage - aligned)
            munmap(reinterpret_cast<void *>(aligned + bytes), after);
        madvise(reinterpret_cast<void *>(aligned), bytes, MADV_HUGEPAGE);
        return reinterpret_cast<void *>(aligned);
    }
#endif
};

template<typename T>
using BigVector = std::vector<T, BigAllocator<T>>;
