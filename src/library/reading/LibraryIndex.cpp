#include "LibraryIndex.h"

#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeMembership.h"
#include "VolumeReader.h"

#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>

void LibraryIndex::Clear() {
    Volumes.Clear();
    TitlePairs.Clear();
    AuthorPairs.Clear();
    Counts.reset();
}

namespace {

// The content table's rows name the same book over and over, mostly one row after another; these remember what was
// settled, so that each distinct id is looked up and each distinct entry offered to its list only once.
class IndexBuilder {
public:
    explicit IndexBuilder(LibraryIndex& index) : m_index(index) {}

    void AddTitle(std::string_view book, std::string_view title) {
        if (!IsVolumeBook(book) || (book == m_lastTitleBook && title == m_lastTitle))
            return;
        m_lastTitleBook = book;
        m_lastTitle = title;
        std::string entry = std::string(book) + "=" + std::string(title);
        if (m_offeredTitles.insert(entry).second)
            m_index.TitlePairs.Add(entry);
    }

    void AddAuthor(std::string_view content, std::string_view author) {
        if (Membership().Contains(content))
            m_index.AuthorPairs.Add(std::string(content) + "=" + std::string(author));
    }

private:
    const VolumeMembership& Membership() {
        if (!m_membership)
            m_membership.emplace(m_index.Volumes);
        return *m_membership;
    }

    bool IsVolumeBook(std::string_view book) {
        if (m_haveLastBook && m_lastBook == book)
            return m_lastBookIsVolume;
        m_lastBook.assign(book);
        m_haveLastBook = true;
        const auto [known, inserted] = m_books.try_emplace(m_lastBook, false);
        if (inserted)
            known->second = Membership().Contains(book);
        m_lastBookIsVolume = known->second;
        return m_lastBookIsVolume;
    }

    LibraryIndex& m_index;
    std::optional<VolumeMembership> m_membership;
    std::string m_lastBook; // the strings keep their room from row to row
    bool m_haveLastBook = false;
    bool m_lastBookIsVolume = false;
    std::unordered_map<std::string, bool> m_books;
    std::string m_lastTitleBook;
    std::string m_lastTitle;
    std::unordered_set<std::string> m_offeredTitles;
};

// Every volume that a bookmark names, with its bookmarks counted; one whose bookmark has a child index other than 0 is
// offered to the list, once, in the order of their first such rows. They are offered once the table is read (or its
// reading failed), so that the list's work on them starts after the reading.
void ReadVolumes(ReaderConnection& reader, LibraryIndex& index, bool skipDeleted,
                 LibraryIndex::BookmarkCounts& counts) {
    // A bookmark the reader deleted counts as absent: it lists no volume.
    std::vector<QueryColumn> columns = {"VolumeID", "StartContainerChildIndex"};
    if (skipDeleted)
        columns.push_back(Optional("Hidden"));
    counts.skippedDeleted = skipDeleted;
    // One look-up a row: its count, and whether it was offered.
    struct Seen {
        std::size_t bookmarks = 0;
        bool offered = false;
    };
    std::unordered_map<std::string, Seen, LibraryIndex::TextHash, std::equal_to<>> volumes;
    std::vector<const std::string*> offered; // keys of volumes, which stay where they are
    const auto offer = [&] {
        for (const std::string* volume : offered)
            index.Volumes.Add(*volume);
    };
    try {
        ReaderQuery rows(reader, "Bookmark", columns);
        while (rows.Step()) {
            if (skipDeleted && IsDeletedOnReader(rows.Text(2)))
                continue;
            const std::string_view id = rows.Text(0);
            auto volume = volumes.find(id);
            if (volume == volumes.end())
                volume = volumes.emplace(std::string(id), Seen{}).first;
            ++volume->second.bookmarks;
            if (!volume->second.offered && rows.Text(1) != "0") {
                volume->second.offered = true;
                offered.push_back(&volume->first);
            }
        }
    } catch (...) {
        offer(); // the list holds what was read before the failure
        throw;
    }
    offer();
    counts.ofVolume.reserve(volumes.size());
    while (!volumes.empty()) {
        auto node = volumes.extract(volumes.begin());
        counts.ofVolume.emplace(std::move(node.key()), node.mapped().bookmarks);
    }
}

// Titles, authors or both from one pass over the content table; the two lists do not depend on each other, so one
// pass for both gives what two give.
void ReadContent(ReaderConnection& reader, IndexBuilder& builder, bool titles, bool authors) {
    std::vector<QueryColumn> columns;
    if (titles)
        columns.insert(columns.end(), {"BookID", "BookTitle"});
    if (authors)
        columns.insert(columns.end(), {"ContentID", "Attribution"});
    const std::size_t content = titles ? 2 : 0;
    ReaderQuery rows(reader, "content", columns);
    while (rows.Step()) {
        if (titles)
            builder.AddTitle(rows.Text(0), rows.Text(1));
        if (authors)
            builder.AddAuthor(rows.Text(content), rows.Text(content + 1));
    }
}

} // namespace

void ReadLibraryIndex(ReaderConnection& reader, LibraryIndex& index, const ReadingOptions& options) {
    index.Clear();
    // The tables behind the lists' and the order's quick comparisons are made beside the reading of the Bookmark
    // table.
    const std::jthread prepare([&index] { index.Volumes.Order().PrepareQuickComparisons(); });
    LibraryIndex::BookmarkCounts counts;
    ReadVolumes(reader, index, options.skipDeletedHighlights, counts);
    try {
        IndexBuilder builder(index);
        ReadContent(reader, builder, true, true);
    } catch (const ESQLiteException&) {
        // Read again the two ways the content table is described, so that a failure names the query that meets
        // it and leaves the lists as that query leaves them.
        index.TitlePairs.Clear();
        index.AuthorPairs.Clear();
        IndexBuilder builder(index);
        ReadContent(reader, builder, true, false);
        ReadContent(reader, builder, false, true);
    }
    index.Counts = std::move(counts);
}
