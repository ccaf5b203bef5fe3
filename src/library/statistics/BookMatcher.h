#pragma once

#include "ReadingStatistics.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Finds the book a session names. A 'LeaveContent' row names its book in its attributes: by "volumeid" on some
// firmware, by "isbn" (the book's ISBN column, a store id or the book file's own identifier) on others, and always by
// "title" and "author". The id is tried first, as the volume id and then as the ISBN; then title and author together,
// then the title alone where the session names no author. A name that fits several books matches none of them.
class BookMatcher {
public:
    explicit BookMatcher(const std::vector<BookReading>& books);
    // The index of the session's book in books; nothing when no book, or more than one, fits.
    std::optional<std::size_t> Match(const ReadingSession& session) const;

private:
    std::optional<std::size_t> Unique(const std::multimap<std::string, std::size_t>& index,
                                      const std::string& key) const;

    std::multimap<std::string, std::size_t> m_byVolumeId;
    std::multimap<std::string, std::size_t> m_byIsbn;
    std::multimap<std::string, std::size_t> m_byTitleAndAuthor;
    std::multimap<std::string, std::size_t> m_byTitle;
};
