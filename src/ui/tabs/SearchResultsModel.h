#pragma once

#include "LibraryOverview.h"

#include <QAbstractItemModel>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The results of one book: indexes into the overview's highlights.
struct SearchResultGroup {
    std::uint32_t book = 0;
    std::vector<std::size_t> highlights;
};

// What a search found, grouped by book, the books in the natural order of their titles ("Book 2" before "Book 10",
// letter case aside). Safe on any thread: a large library's results are grouped beside the window.
std::vector<SearchResultGroup> GroupSearchResults(const LibraryOverview& overview,
                                                  const std::vector<std::size_t>& found);

// What a search across every book found, grouped by book: a row for each book with its count, under it a row for each
// highlight found, its words marked, with its chapter and date. Rows are made only as the view shows them, so that a
// search that finds every highlight of a large library keeps all of them within reach.
class SearchResultsModel : public QAbstractItemModel {
public:
    static constexpr int kVolumeIdRole = Qt::UserRole;
    static constexpr int kBookmarkIdRole = Qt::UserRole + 1;

    using QAbstractItemModel::QAbstractItemModel;

    // groups: GroupSearchResults of the overview; headings: those of its chapters where the overview has none yet
    // (HighlightSearch::Headings); terms: the folded terms to mark (FoldedSearchTerms).
    void Show(std::shared_ptr<const LibraryOverview> overview, std::shared_ptr<const ChapterHeadings> headings,
              std::vector<SearchResultGroup> groups, std::vector<std::string> terms);
    void Clear();
    std::size_t Found() const { return m_found; }
    std::size_t Books() const { return m_groups.size(); }
    // A book's row holds results under it, a result's row holds none.
    static bool IsBook(const QModelIndex& index) { return index.isValid() && index.internalId() == 0; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    using Group = SearchResultGroup;
    QString BookHtml(const Group& group) const;
    QString ResultHtml(const OverviewHighlight& highlight) const;

    std::shared_ptr<const LibraryOverview> m_overview;
    std::shared_ptr<const ChapterHeadings> m_headings;
    std::vector<std::string> m_terms;
    std::vector<Group> m_groups; // in the natural order of their titles
    std::size_t m_found = 0;
};
