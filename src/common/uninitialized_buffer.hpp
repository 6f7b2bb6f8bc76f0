#pragma once
// A std::vector whose resize leaves new elements uninitialized, for buffers
// that are overwritten right away (zeroing tens of megabytes first costs as
// much as the copy itself).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace tessel {

template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    static_assert(std::is_trivially_default_constructible_v<T>);
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    using std::allocator<T>::allocator;
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;  // default-initialization: no zeroing
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    // Fresh memory faults in page by page on first touch, which for buffers
    // of megabytes costs more than the work done in them (a fault takes
    // about a microsecond on a VM). Buffers of 4 MB or more are therefore
    // whole 2 MB pages, and the system is asked to back them with large pages.
    static constexpr std::size_t kLargePage = std::size_t{2} << 20;
    static constexpr std::size_t kLargeBuffer = std::size_t{4} << 20;

    static bool is_large(std::size_t n) noexcept { return n >= kLargeBuffer / sizeof(T); }

    T* allocate(std::size_t n) {
        if (!is_large(n)) return std::allocator<T>::allocate(n);
        if (n > (SIZE_MAX - kLargePage) / sizeof(T)) throw std::bad_array_new_length();
        const std::size_t bytes = (n * sizeof(T) + kLargePage - 1) / kLargePage * kLargePage;
        void* p = std::aligned_alloc(kLargePage, bytes);
        if (p == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        ::madvise(p, bytes, MADV_HUGEPAGE);  // a hint: refused, it changes nothing
#endif
        return static_cast<T*>(p);
    }

    void deallocate(T* p, std::size_t n) noexcept {
        if (!is_large(n)) return std::allocator<T>::deallocate(p, n);
        std::free(p);
    }
};

template <class T>
using UninitializedBuffer = std::vector<T, DefaultInitAllocator<T>>;

}  // namespace tessel
