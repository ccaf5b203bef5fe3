#pragma once

#include <stdexcept>

// The archive cannot be used as it is: damaged (and set aside), of a newer version, no archive at all, or busy.
class EArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
