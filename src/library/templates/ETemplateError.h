#pragma once

#include <stdexcept>

// A template set that cannot be used: a file that cannot be read, a syntax error, an unknown variable. The message
// names the file and, where there is one, the line ("book.mustache:3: unknown variable \"titel\"").
class ETemplateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
