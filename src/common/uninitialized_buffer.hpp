#pragma once
// A std::vector whose resize leaves new elements uninitialized, for buffers
// that are overwritten right away (zeroing tens of megabytes first costs as
// much as the copy itself).
#include <memory>
#include <type_traits>
#include <vector>

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
};

template <class T>
using UninitializedBuffer = std::vector<T, DefaultInitAllocator<T>>;

}  // namespace tessel
