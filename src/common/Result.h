#ifndef RESULT_H
#define RESULT_H

#include "common/Outcome.h"

// A value, or the outcome that says why there is none.
template<typename T> struct Result
{
    T value {};
    Outcome error;
    bool ok() const { return error.ok(); }
};

#endif
