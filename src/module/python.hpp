#pragma once
// The one place the interpreter's headers come in; everything in src/module
// includes this instead of Python.h.
#define PY_SSIZE_T_CLEAN
#include <Python.h>
