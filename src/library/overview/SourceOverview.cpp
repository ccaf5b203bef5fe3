#include "SourceOverview.h"

#include "StoredValues.h"

#include <algorithm>
#include <map>

namespace {

// Gathers each book's highlights into the overview as the source hands the books on.
class OverviewGathering : public VolumeReceiver {
public:
    OverviewGathering(LibraryOverview& overview, const std::map<std::string, std::uint32_t>& bookOf,
                      ProgressReporter& progress)
        : m_overview(overview), m_bookOf(bookOf), m_progress(progress) {
        m_overview.texts.push_back(m_headings);
    }

    void Restart() override {
        m_overview.highlights.clear();
        m_overview.chapters.clear();
        m_overview.texts.assign(1, m_headings);
        m_kinds.clear();
    }

    void Take(const std::string& volumeId, AnnotatedVolume&& volume) override {
        const auto book = m_bookOf.find(volumeId);
        if (book == m_bookOf.end())
            return;
        OverviewBook& facts = m_overview.books[book->second];
        facts.percentRead = WholeNumber<double>(volume.percentRead);
        m_overview.fromArchive = m_overview.fromArchive || volume.fromArchive;
        if (!volume.fromArchive) {
            std::vector<std::string_view> kinds;
            for (const SourceFacts& read : volume.sources)
                if (std::find(kinds.begin(), kinds.end(), SourceKindName(read.kind)) == kinds.end())
                    kinds.push_back(SourceKindName(read.kind));
            for (const std::string_view kind : kinds)
                facts.sources.append(facts.sources.empty() ? "" : " + ").append(kind);
        }
        // The bookmarks' texts are views into the volume's store, which the overview keeps; the headings are made here.
        m_overview.texts.push_back(volume.texts);
        const auto firstChapter = static_cast<std::uint32_t>(m_overview.chapters.size());
        for (const PartFacts& part : volume.parts)
            m_overview.chapters.push_back(m_headings->Keep(part.Heading()));
        for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
            OverviewHighlight& highlight = m_overview.highlights.emplace_back();
            highlight.book = book->second;
            highlight.bookmarkId = bookmark.bookmarkId;
            highlight.text = bookmark.text;
            highlight.note = bookmark.annotation;
            highlight.chapter = firstChapter + bookmark.part;
            highlight.type = bookmark.type;
            highlight.color = bookmark.color;
            highlight.date = bookmark.dateCreated;
            highlight.deleted = bookmark.deleted;
            highlight.gone = bookmark.gone;
            highlight.lastSeen = bookmark.lastSeen;
            const SourceKind kind = bookmark.source < volume.sources.size() ? volume.sources[bookmark.source].kind
                                    : volume.fromArchive                    ? SourceKind::Archive
                                                                            : SourceKind::ReaderDatabase;
            highlight.source = SourceKindName(kind);
            m_kinds[highlight.source] = true;
            facts.highlights += highlight.text.empty() ? 0 : 1;
            facts.notes += highlight.note.empty() ? 0 : 1;
            if (highlight.date > facts.lastHighlight)
                facts.lastHighlight = highlight.date;
        }
    }

    void Unread(const std::string& volumeId, const std::string& reason) override {
        m_progress.Warn(volumeId + ": " + reason);
    }

    bool SeveralKinds() const { return m_kinds.size() > 1; }

private:
    LibraryOverview& m_overview;
    const std::map<std::string, std::uint32_t>& m_bookOf;
    ProgressReporter& m_progress;
    std::map<std::string_view, bool> m_kinds;
    std::shared_ptr<TextStore> m_headings = std::make_shared<TextStore>();
};

} // namespace

std::string_view SourceKindName(SourceKind kind) {
    switch (kind) {
    case SourceKind::ReaderDatabase:
        return "Kobo";
    case SourceKind::Archive:
        return "archive";
    case SourceKind::KOReader:
        return "KOReader";
    case SourceKind::KindleClippings:
        return "Kindle";
    }
    return {};
}

std::optional<LibraryOverview> ReadSourceOverview(const AnnotationSource& source, const ReadingOptions& options,
                                                  ProgressReporter& progress) {
    LibraryOverview overview;
    const LibraryIndex& index = source.Index();
    const std::vector<std::string> volumes = index.Volumes.Entries();
    std::map<std::string, std::uint32_t> bookOf;
    for (const std::string& volume : volumes) {
        bookOf.emplace(volume, static_cast<std::uint32_t>(overview.books.size()));
        OverviewBook& book = overview.books.emplace_back();
        book.volumeId = volume;
        book.title = index.TitlePairs.ValueOf(volume);
        book.author = index.AuthorPairs.ValueOf(volume);
        book.sideloaded = volume.find('/') != std::string::npos;
    }
    ReadingOptions whole = options;
    whole.wholeRecords = true;
    OverviewGathering gathering(overview, bookOf, progress);
    if (!source.ReadVolumes(volumes, whole, progress, gathering))
        return std::nullopt;
    overview.severalSources = gathering.SeveralKinds();
    return overview;
}
