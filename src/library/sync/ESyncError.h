#pragma once

#include <stdexcept>

// A notes folder cannot be synced at all: it is missing, no folder, or another sync holds it.
class ESyncError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
