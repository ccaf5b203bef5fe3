#pragma once

#include <string>
#include <string_view>

// A bookmark's stored date and time in the one form the exports give: ISO 8601 in UTC with milliseconds,
// "2024-11-18T17:45:50.886Z". The reader keeps its times in UTC but writes them in two forms (DateCreated as
// "2024-11-18T17:45:50.886", DateModified as "2024-11-18T17:45:50Z"); a space for the "T", fewer or more fraction
// digits and "+00:00" for the "Z" are taken too. A value of any other shape is given as stored.
std::string RecordTime(std::string_view stored);
