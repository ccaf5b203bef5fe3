#pragma once

#include <stdexcept>

// A file could not be written; the message names the file and the system's reason.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
