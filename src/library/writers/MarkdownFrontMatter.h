#pragma once

#include "AnnotatedVolume.h"

#include <string>
#include <string_view>

namespace markdown {

// The YAML front matter of a book's Markdown file, "---" lines around it: what the book's own row knows, each under a
// name that stays the same in every export and left out where the database knows nothing, the export date last:
// title, author, publisher, language, isbn (or identifier, where the stored value is no ISBN), series, seriesNumber,
// progress (percent read), status (unread, reading, finished), lastRead, timeSpentReadingSeconds, volumeId, storeBook
// (true for a book bought in the store, whose volume id is no file path) and date. Texts are double-quoted strings;
// numbers stand bare only where the stored value is a plain decimal number.
std::string FrontMatter(const AnnotatedVolume& volume, std::string_view title, std::string_view exportDate);

// The text as a double-quoted YAML string: "\" and the quote escaped, control characters, the YAML line breaks
// U+0085, U+2028 and U+2029 as escapes, and bytes that are no UTF-8 as U+FFFD.
std::string YamlQuoted(std::string_view text);

// A number as stored, as a YAML value: bare where it is a plain decimal number (digits without leading zeros, at most
// one fraction), which every YAML version reads as a number, else as YamlQuoted gives it.
std::string YamlNumber(std::string_view text);

// The reader's ReadStatus by name: "unread", "reading", "finished"; any other stored value as it is.
std::string_view ReadStatusName(std::string_view stored);

// Whether the volume is a book from the store, named by the store's id (a UUID) rather than by its file
// (file:///mnt/onboard/..., /mnt/onboard/...).
bool IsStoreBook(std::string_view volumeId);
// The same for a volume read: only a Kobo store's books are store books, whatever another reader names its books by.
bool IsStoreBook(const AnnotatedVolume& volume);

} // namespace markdown
