#pragma once

#include <string>
#include <string_view>

// A unified diff, three lines of context, of a note from before to after, under the two names; empty when nothing
// differs. A new note is a diff from nothing.
std::string UnifiedDiff(std::string_view before, std::string_view after, const std::string& beforeName,
                        const std::string& afterName);
