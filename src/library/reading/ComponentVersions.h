#pragma once

#include <string>

// The versions of the libraries the program runs with (not those it was built against), for the "about" box.
std::string SQLiteVersion();
std::string IcuVersion();
