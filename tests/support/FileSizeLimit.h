#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace fixture {

// Runs work in a child process in which no file may grow beyond bytes, as on a disk that fills up: a write past the
// limit fails (EFBIG) instead of ending the process. Returns the message of what work raised, or "" when it raised
// nothing. Needs no privileges, unlike a small file system.
std::string RunWithFileSizeLimit(std::uintmax_t bytes, const std::function<void()>& work);

} // namespace fixture
