#include "CombinedSource.h"

#include "BookIdentity.h"
#include "OrderWhereKnown.h"

#include <set>
#include <unordered_map>
#include <utility>

namespace {

// A bookmark of one source's volume with its texts copied into the combined volume's store, and its place.
struct Placed {
    AnnotatedBookmark bookmark;
    std::optional<double> position;
};

void CopyTexts(AnnotatedBookmark& bookmark, AnnotatedVolume& into) {
    for (std::string_view* text :
         {&bookmark.bookmarkId, &bookmark.text, &bookmark.annotation, &bookmark.type, &bookmark.color,
          &bookmark.dateCreated, &bookmark.dateModified, &bookmark.markupImage, &bookmark.lastSeen})
        *text = into.Keep(*text);
}

void FillMissing(std::string& fact, const std::string& from) {
    if (fact.empty())
        fact = from;
}

void AddFacts(AnnotatedVolume& combined, const AnnotatedVolume& read) {
    FillMissing(combined.title, read.title);
    FillMissing(combined.author, read.author);
    FillMissing(combined.publisher, read.publisher);
    FillMissing(combined.isbn, read.isbn);
    FillMissing(combined.language, read.language);
    FillMissing(combined.series, read.series);
    FillMissing(combined.seriesNumber, read.seriesNumber);
    FillMissing(combined.description, read.description);
    FillMissing(combined.percentRead, read.percentRead);
    FillMissing(combined.readStatus, read.readStatus);
    FillMissing(combined.dateLastRead, read.dateLastRead);
    FillMissing(combined.timeSpentReading, read.timeSpentReading);
}

} // namespace

CombinedSource::CombinedSource(std::vector<SourceMember> members, const TextOrder& order)
    : m_members(std::move(members)), m_index(order) {
    std::unordered_map<std::string, std::string> byIdentity; // ISBN or folded title and author -> combined id
    std::map<std::string, std::set<std::size_t>> membersOf;  // combined id -> the members that hold it
    for (std::size_t member = 0; member < m_members.size(); ++member) {
        const AnnotationSource& source = *m_members[member].source;
        const LibraryIndex& index = source.Index();
        for (const std::string& id : index.Volumes.Entries()) {
            const std::string title = index.TitlePairs.ValueOf(id);
            const std::string author = index.AuthorPairs.ValueOf(id);
            const std::string isbn = m_members[member].isbnOf ? IsbnDigits(m_members[member].isbnOf(id)) : "";
            std::vector<std::string> identities;
            if (!isbn.empty())
                identities.push_back("isbn:" + isbn);
            if (!title.empty())
                identities.push_back("book:" + FoldedTitleAndAuthor(title, author));
            std::string combined;
            for (const std::string& identity : identities) {
                const auto known = byIdentity.find(identity);
                if (known != byIdentity.end() && !membersOf[known->second].contains(member)) {
                    combined = known->second;
                    break;
                }
            }
            if (combined.empty()) {
                combined = id;
                // Another source's book may have this id already (one file read twice): this one is a book of its own.
                for (int n = 2; m_volumes.contains(combined); ++n)
                    combined = id + " (" + std::to_string(n) + ")";
                m_index.Volumes.Add(combined);
                m_index.TitlePairs.Add(combined + "=" + title);
                m_index.AuthorPairs.Add(combined + "=" + author);
            }
            for (const std::string& identity : identities)
                byIdentity.try_emplace(identity, combined);
            membersOf[combined].insert(member);
            m_volumes[combined].push_back({member, id});
        }
    }
}

SourceFacts CombinedSource::Facts() const {
    return m_members.empty() ? SourceFacts{} : m_members.front().source->Facts();
}

std::optional<AnnotatedVolume> CombinedSource::ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                                          ProgressReporter& progress) const {
    const auto found = m_volumes.find(volumeId);
    if (found == m_volumes.end()) {
        AnnotatedVolume none;
        none.volumeId = volumeId;
        return none;
    }
    const std::vector<Holding>& holdings = found->second;
    if (holdings.size() == 1) {
        std::optional<AnnotatedVolume> volume =
            m_members[holdings.front().member].source->ReadVolume(holdings.front().volumeId, options, progress);
        if (volume)
            volume->volumeId = volumeId;
        return volume;
    }
    // Places in the book are read with the whole records: they order one source's bookmarks among another's, in
    // every format alike.
    ReadingOptions whole = options;
    whole.wholeRecords = true;
    AnnotatedVolume combined;
    combined.volumeId = volumeId;
    std::vector<Placed> placed;
    std::set<std::pair<std::string, std::string>> seen; // text and note of a highlight already taken
    bool anyRead = false;
    for (const Holding& holding : holdings) {
        std::optional<AnnotatedVolume> read =
            m_members[holding.member].source->ReadVolume(holding.volumeId, whole, progress);
        if (!read)
            continue;
        anyRead = true;
        AddFacts(combined, *read);
        const auto partOffset = static_cast<std::uint32_t>(combined.parts.size());
        const auto sourceOffset = static_cast<std::uint16_t>(combined.sources.size());
        for (PartFacts part : read->parts) {
            // A place in the whole book, where that source's volume gives its progress in the book.
            if (read->progressInBook && !(part.startPercent && part.sizePercent))
                part.startPercent = 0, part.sizePercent = 100;
            combined.parts.push_back(std::move(part));
        }
        if (read->sources.empty())
            read->sources.push_back(m_members[holding.member].source->Facts());
        combined.sources.insert(combined.sources.end(), read->sources.begin(), read->sources.end());
        for (const AnnotatedBookmark& bookmark : read->bookmarks) {
            if (!bookmark.text.empty() &&
                !seen.emplace(std::string(bookmark.text), std::string(bookmark.annotation)).second)
                continue;
            Placed entry{bookmark, read->PositionOf(bookmark)};
            CopyTexts(entry.bookmark, combined);
            entry.bookmark.part += partOffset;
            entry.bookmark.source = static_cast<std::uint16_t>(entry.bookmark.source + sourceOffset);
            placed.push_back(std::move(entry));
        }
    }
    if (!anyRead)
        return std::nullopt;
    OrderWhereKnown(placed, [](const Placed& a, const Placed& b) {
        return a.position && b.position ? *a.position <=> *b.position : std::partial_ordering::unordered;
    });
    combined.bookmarks.reserve(placed.size());
    for (Placed& entry : placed)
        combined.bookmarks.push_back(entry.bookmark);
    return combined;
}
