#pragma once

#include <stdexcept>
#include <string>

// The one exception type of the database layer; it carries only its message.
class ESQLiteException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
