#include "NoteMerge.h"

#include "FrontMatter.h"
#include "LineEnds.h"
#include "NoteMarkers.h"

#include <iterator>
#include <list>
#include <map>
#include <optional>
#include <set>

namespace {

// User text, or a program's block: its marker lines and the text between them, each as the note has them.
struct NotePiece {
    std::string text;
    std::optional<BlockMarker> marker;
    std::string openingLine;
    std::string closingLine;
};

using Pieces = std::list<NotePiece>;

std::string LineEnd(bool crlf) {
    return crlf ? "\r\n" : "\n";
}

// A block's text ends its last line, so that the closing marker has a line of its own.
std::string EndingItsLine(std::string text, bool crlf) {
    if (!text.empty() && !text.ends_with('\n'))
        text += LineEnd(crlf);
    return text;
}

std::string BlockText(const std::string& renderedText) {
    return EndingItsLine(renderedText, false);
}

void SetMarker(NotePiece& piece, BlockMarker marker) {
    const bool crlf = piece.openingLine.ends_with("\r\n");
    piece.openingLine = OpeningMarker(marker) + LineEnd(crlf);
    piece.marker = std::move(marker);
}

// The pieces of a note's body. A block is an opening marker line, then the closing marker line of the same id before
// any other marker; an opening marker without one is broken and, like a second block of an id already seen, stays
// user text. Ids of broken blocks go to broken: the note has them, though in a shape no sync touches.
Pieces ReadBody(std::string_view body, std::set<std::string>& broken) {
    Pieces pieces;
    std::set<std::string> seen;
    std::string text;
    const std::vector<std::string_view> lines = SplitLines(body);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<BlockMarker> marker = ParseOpeningMarker(WithoutLineEnd(lines[i]));
        if (marker && seen.insert(marker->bookmarkId).second) {
            std::size_t end = i + 1;
            std::optional<std::string> closing;
            for (; end < lines.size(); ++end) {
                closing = ParseClosingMarker(WithoutLineEnd(lines[end]));
                if (closing || ParseOpeningMarker(WithoutLineEnd(lines[end])))
                    break;
            }
            if (closing == marker->bookmarkId) {
                if (!text.empty())
                    pieces.push_back(NotePiece{std::move(text), std::nullopt, "", ""});
                text.clear();
                NotePiece block{"", std::move(marker), std::string(lines[i]), std::string(lines[end])};
                for (std::size_t inside = i + 1; inside < end; ++inside)
                    block.text += lines[inside];
                pieces.push_back(std::move(block));
                i = end;
                continue;
            }
            broken.insert(marker->bookmarkId);
        }
        text += lines[i];
    }
    if (!text.empty())
        pieces.push_back(NotePiece{std::move(text), std::nullopt, "", ""});
    return pieces;
}

// Where blocks go when the note has none the rendering knows: after the note's last block; in a note without blocks,
// before the text the template puts after them when the note still ends with it, else at the end.
Pieces::iterator EndOfBlocks(Pieces& pieces, const std::string& afterBlocks, bool crlf) {
    for (auto it = pieces.end(); it != pieces.begin();) {
        --it;
        if (it->marker)
            return std::next(it);
    }
    const std::string after = InLineEnds(afterBlocks, crlf);
    if (after.empty() || pieces.empty() || !pieces.back().text.ends_with(after))
        return pieces.end();
    NotePiece& last = pieces.back();
    const std::string before = last.text.substr(0, last.text.size() - after.size());
    last.text = after;
    if (!before.empty())
        pieces.insert(std::prev(pieces.end()), NotePiece{before, {}, "", ""});
    return std::prev(pieces.end());
}

std::vector<FrontMatterEntry> OwnedEntries(const RenderedNote& rendered) {
    std::string yaml = rendered.frontMatter;
    if (!yaml.empty() && !yaml.ends_with('\n'))
        yaml += '\n';
    std::vector<FrontMatterEntry> owned;
    for (FrontMatterEntry& entry : SplitEntries(yaml))
        if (entry.key != kVolumeIdKey)
            owned.push_back(std::move(entry));
    owned.push_back({std::string(kVolumeIdKey), VolumeIdLine(rendered.volumeId) + '\n'});
    return owned;
}

FrontMatter ReadOrStartFrontMatter(std::string_view note, std::size_t& length, bool crlf) {
    if (std::optional<FrontMatter> frontMatter = ReadFrontMatter(note, length))
        return *frontMatter;
    // Found by its name or given as it is: the note gets a front matter of its own in front of what it holds.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    length = note.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    return {std::string(note.substr(0, length)) + "---" + LineEnd(crlf), {}, "---" + LineEnd(crlf)};
}

// Brings the note's blocks up to date in place, and marks what the reader deleted.
void UpdateBlocks(Pieces& pieces, const RenderedNote& rendered, bool crlf, NoteChanges& changes) {
    std::map<std::string_view, const RenderedBlock*> wanted;
    for (const RenderedBlock& block : rendered.blocks)
        wanted.emplace(block.bookmarkId, &block);
    for (NotePiece& piece : pieces) {
        if (!piece.marker)
            continue;
        BlockMarker marker = *piece.marker;
        const auto found = wanted.find(marker.bookmarkId);
        if (found == wanted.end() || found->second->deletedOnReader) {
            // A heading stays over what its chapter keeps, deleted or not.
            if (marker.deleted || IsChapterHeading(marker.bookmarkId))
                continue;
            // The block's text stays as the note has it, the user's edits included.
            piece.text = EndingItsLine(
                InLineEnds(rendered.deletedBefore, crlf) + piece.text + InLineEnds(rendered.deletedAfter, crlf), crlf);
            marker.hash = BlockHash(piece.text);
            marker.deleted = true;
            SetMarker(piece, std::move(marker));
            changes.markedDeleted.push_back(piece.marker->bookmarkId);
            continue;
        }
        const std::string text = BlockText(found->second->text);
        const std::string hash = BlockHash(text);
        if (hash == marker.hash && !marker.deleted)
            continue; // nothing new on the reader
        if (BlockHash(piece.text) != marker.hash) {
            changes.keptAsEdited.push_back(marker.bookmarkId);
            continue;
        }
        piece.text = InLineEnds(text, crlf);
        SetMarker(piece, {marker.bookmarkId, hash, false});
        (IsChapterHeading(marker.bookmarkId) ? changes.headings : changes.updated).push_back(marker.bookmarkId);
    }
}

void AddNewBlocks(Pieces& pieces, const RenderedNote& rendered, const std::set<std::string>& broken, bool crlf,
                  NoteChanges& changes) {
    std::map<std::string, Pieces::iterator, std::less<>> present;
    for (auto it = pieces.begin(); it != pieces.end(); ++it)
        if (it->marker)
            present.emplace(it->marker->bookmarkId, it);
    const std::vector<RenderedBlock>& order = rendered.blocks;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const RenderedBlock& block = order[i];
        if (block.deletedOnReader || present.contains(block.bookmarkId) || broken.contains(block.bookmarkId))
            continue;
        std::optional<Pieces::iterator> at;
        for (std::size_t earlier = i; earlier-- > 0 && !at;)
            if (const auto found = present.find(order[earlier].bookmarkId); found != present.end())
                at = std::next(found->second);
        for (std::size_t later = i + 1; later < order.size() && !at; ++later)
            if (const auto found = present.find(order[later].bookmarkId); found != present.end())
                at = found->second;
        if (!at)
            at = EndOfBlocks(pieces, rendered.afterBlocks, crlf);
        const std::string text = BlockText(block.text);
        NotePiece piece{InLineEnds(text, crlf), BlockMarker{block.bookmarkId, BlockHash(text), false},
                        OpeningMarker({block.bookmarkId, BlockHash(text), false}) + LineEnd(crlf),
                        ClosingMarker(block.bookmarkId) + LineEnd(crlf)};
        present.emplace(block.bookmarkId, pieces.insert(*at, std::move(piece)));
        (IsChapterHeading(block.bookmarkId) ? changes.headings : changes.added).push_back(block.bookmarkId);
    }
}

std::string Text(const FrontMatter& frontMatter, const Pieces& pieces, bool crlf) {
    std::string text = frontMatter.Text();
    for (const NotePiece& piece : pieces) {
        if (!piece.marker) {
            text += piece.text;
            continue;
        }
        // A block added after text without a final line break starts on a line of its own.
        if (!text.empty() && !text.ends_with('\n'))
            text += LineEnd(crlf);
        text += piece.openingLine + piece.text + piece.closingLine;
    }
    return text;
}

} // namespace

MergedNote NewNote(const RenderedNote& rendered) {
    return MergeNote("---\n---\n" + rendered.beforeBlocks + rendered.afterBlocks, rendered);
}

MergedNote MergeNote(std::string_view note, const RenderedNote& rendered, const std::set<std::string>& quietKeys) {
    const bool crlf = UsesCrlf(note);
    MergedNote merged;
    std::size_t length = 0;
    FrontMatter frontMatter = ReadOrStartFrontMatter(note, length, crlf);
    const std::vector<FrontMatterEntry> owned = OwnedEntries(rendered);
    OwnedEntriesUpdate entries = UpdateOwnedEntries(frontMatter.entries, owned, crlf, quietKeys);
    merged.changes.frontMatterUpdated = entries.changed;
    merged.changes.keptKeys = std::move(entries.kept);
    std::set<std::string> broken;
    Pieces pieces = ReadBody(note.substr(length), broken);
    UpdateBlocks(pieces, rendered, crlf, merged.changes);
    AddNewBlocks(pieces, rendered, broken, crlf, merged.changes);
    if (!quietKeys.empty() && (merged.changes.frontMatterUpdated || merged.changes.AnyBlock()))
        UpdateOwnedEntries(frontMatter.entries, owned, crlf);
    merged.text = Text(frontMatter, pieces, crlf);
    return merged;
}
