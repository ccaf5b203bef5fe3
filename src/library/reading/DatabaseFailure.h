#pragma once

#include <exception>

// Whether a failure of the core is SQLite's "file is not a database": a front end tells that one in plain words.
bool IsNotADatabase(const std::exception_ptr& failure);
