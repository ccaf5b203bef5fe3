#pragma once

#include <string>

// The fixed English text for an SQLite primary result code.
std::string SQLiteErrorMessage(int code);
