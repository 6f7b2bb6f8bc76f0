#pragma once
// A value created once per process, on first use, safely when several threads
// ask at once, and never released. Creation may call into Python (an import),
// so waiting threads must not hold the interpreter while they wait: PyMutex
// detaches a waiting thread. Interpreters without PyMutex (before 3.13) always
// have a GIL; there two racing creators may both build a value, one is
// published and the other is discarded.
#include <atomic>

#include "module/python.hpp"

namespace tessel::py {

template <class T>
class ProcessCache {
public:
    // create() returns the new value, or nullptr with a Python exception set;
    // discard(value) drops a value that lost the race (old interpreters only).
    template <class Create, class Discard>
    T* get(Create create, Discard discard) {
        if (T* v = value_.load(std::memory_order_acquire)) return v;
#if PY_VERSION_HEX >= 0x030D0000
        (void)discard;
        PyMutex_Lock(&mutex_);
        T* v = value_.load(std::memory_order_relaxed);
        if (v == nullptr) {
            v = create();
            if (v != nullptr) value_.store(v, std::memory_order_release);
        }
        PyMutex_Unlock(&mutex_);
        return v;
#else
        T* v = create();
        if (v == nullptr) return nullptr;
        T* expected = nullptr;
        if (!value_.compare_exchange_strong(expected, v, std::memory_order_acq_rel)) {
            discard(v);
            return expected;
        }
        return v;
#endif
    }

private:
    std::atomic<T*> value_{nullptr};
#if PY_VERSION_HEX >= 0x030D0000
    PyMutex mutex_{};
#endif
};

}  // namespace tessel::py
