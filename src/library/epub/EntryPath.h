#pragma once

#include <optional>
#include <string>
#include <string_view>

// The zip entry a link of the book names: href (percent-encoded, maybe with a #fragment) taken from the folder of
// the entry that holds it (from = "OEBPS/content.opf"). Nothing where the link leaves the book (climbs above its
// root, or names another scheme such as http:).
std::optional<std::string> EntryPath(std::string_view from, std::string_view href);
