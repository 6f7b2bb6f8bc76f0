#pragma once
// Lets other Python threads run while a body computes on plain data. No
// Python object may be touched while detached; leaving the scope, also by an
// exception, re-attaches.
#include "module/python.hpp"

namespace tessel::py {

class Detached {
public:
    Detached() noexcept : state_(PyEval_SaveThread()) {}
    ~Detached() { PyEval_RestoreThread(state_); }
    Detached(const Detached&) = delete;
    Detached& operator=(const Detached&) = delete;

private:
    PyThreadState* state_;
};

}  // namespace tessel::py
