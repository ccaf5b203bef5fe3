#include "BookMatcher.h"

namespace {

std::string TitleAndAuthor(const std::string& title, const std::string& author) {
    return title + '\x1F' + author;
}

} // namespace

BookMatcher::BookMatcher(const std::vector<BookReading>& books) {
    for (std::size_t i = 0; i < books.size(); ++i) {
        const BookReading& book = books[i];
        m_byVolumeId.emplace(book.volumeId, i);
        if (!book.isbn.empty())
            m_byIsbn.emplace(book.isbn, i);
        if (!book.title.empty()) {
            m_byTitleAndAuthor.emplace(TitleAndAuthor(book.title, book.author), i);
            m_byTitle.emplace(book.title, i);
        }
    }
}

std::optional<std::size_t> BookMatcher::Unique(const std::multimap<std::string, std::size_t>& index,
                                               const std::string& key) const {
    const auto [first, last] = index.equal_range(key);
    if (first == last || std::next(first) != last)
        return std::nullopt;
    return first->second;
}

std::optional<std::size_t> BookMatcher::Match(const ReadingSession& session) const {
    if (!session.bookId.empty()) {
        if (const auto book = Unique(m_byVolumeId, session.bookId))
            return book;
        if (const auto book = Unique(m_byIsbn, session.bookId))
            return book;
    }
    if (session.title.empty())
        return std::nullopt;
    if (const auto book = Unique(m_byTitleAndAuthor, TitleAndAuthor(session.title, session.author)))
        return book;
    if (session.author.empty())
        return Unique(m_byTitle, session.title);
    return std::nullopt;
}
