#pragma once

#include <stdexcept>
#include <string>

// A book's file could not be read as an EPUB, or holds something refused (an entry too large, a path that leaves the
// book); the message names the file and what is wrong with it.
class EEpubError : public std::runtime_error {
public:
    explicit EEpubError(const std::string& message) : std::runtime_error(message) {}
};
