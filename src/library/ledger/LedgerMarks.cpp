#include "LedgerMarks.h"

#include <algorithm>

LedgerMark LedgerMark::Keep(TextStore& texts, std::string_view bookmarkId, std::string_view modified,
                            std::string_view digest) {
    // One piece for the three: the marks of a large book are made one after another, so this is allocated once.
    thread_local std::string bytes;
    bytes.assign(bookmarkId).append(modified).append(digest.substr(0, kDigestSize));
    bytes.resize(bookmarkId.size() + modified.size() + kDigestSize, '\0');
    LedgerMark mark;
    mark.m_bytes = texts.Keep(bytes).data();
    mark.m_idSize = static_cast<std::uint32_t>(bookmarkId.size());
    mark.m_modifiedSize = static_cast<std::uint32_t>(modified.size());
    return mark;
}

void SettleMarks(std::vector<LedgerMark>& marks) {
    const auto byId = [](const LedgerMark& a, const LedgerMark& b) { return a.BookmarkId() < b.BookmarkId(); };
    // A ledger file holds each book's marks in this order already, each id once: one look instead of a sort.
    const auto notAfter = [](const LedgerMark& a, const LedgerMark& b) { return a.BookmarkId() >= b.BookmarkId(); };
    if (std::adjacent_find(marks.begin(), marks.end(), notAfter) == marks.end())
        return;
    std::stable_sort(marks.begin(), marks.end(), byId);
    // Of marks with the same id the last one counts, as the last member of that name in a JSON object does.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (i + 1 < marks.size() && marks[i + 1].BookmarkId() == marks[i].BookmarkId())
            continue;
        marks[kept++] = marks[i];
    }
    marks.resize(kept);
}

const std::vector<LedgerMark>* LedgerBooks::Find(const std::string& volumeId) const {
    const auto book = books.find(volumeId);
    return book != books.end() ? &book->second : nullptr;
}

const LedgerMark* FindMark(const std::vector<LedgerMark>* marks, std::string_view bookmarkId) {
    if (!marks)
        return nullptr;
    const auto found =
        std::lower_bound(marks->begin(), marks->end(), bookmarkId,
                         [](const LedgerMark& mark, std::string_view id) { return mark.BookmarkId() < id; });
    return found != marks->end() && found->BookmarkId() == bookmarkId ? &*found : nullptr;
}

void LedgerBooks::Record(const std::string& volumeId, std::vector<LedgerMark>&& marks) {
    std::vector<LedgerMark>& book = books[volumeId];
    // A book's first marks are taken over rather than copied: a million of them are held once.
    if (book.empty()) {
        book = std::move(marks);
    } else {
        book.insert(book.end(), marks.begin(), marks.end());
        marks = {};
    }
    SettleMarks(book);
}
