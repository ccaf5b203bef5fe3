#pragma once

#include <stdexcept>

// A file could not be written; the message names the file and the system's reason.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const std::string& message, int error = 0) : std::runtime_error(message), m_error(error) {}
    // The system's error number, where the reason is one.
    int Error() const { return m_error; }

private:
    int m_error;
};
