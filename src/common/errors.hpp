#pragma once
// Error kinds raised by the core. The binding layer maps each to one Python
// exception type; the core never sees Python.
#include <stdexcept>
#include <string>

namespace tessel {

// A validation failure of the caller's input (Python ValueError).
struct ValueError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An input of the wrong type or layout (Python TypeError).
struct TypeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A broken assumption inside a body (the module's internal-failure exception).
struct InternalFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace tessel
