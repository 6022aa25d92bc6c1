#pragma once

#include <QtGlobal>

#include <cstdlib>
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
        if (n * sizeof(T) >= hugePage) {
            const size_t bytes = (n * sizeof(T) + hugePage - 1) / hugePage * hugePage;
            void *p = std::aligned_alloc(hugePage, bytes);
            if (!p)
                throw std::bad_alloc();
            madvise(p, bytes, MADV_HUGEPAGE);
            return static_cast<T *>(p);
        }
#endif
        return std::allocator<T>().allocate(n);
    }

    void deallocate(T *p, size_t n) noexcept
    {
#ifdef Q_OS_LINUX
        if (n * sizeof(T) >= hugePage) {
            std::free(p);
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
};

template<typename T>
using BigVector = std::vector<T, BigAllocator<T>>;
