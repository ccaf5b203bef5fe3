#include "NoteMerge.h"

#include "FrontMatter.h"
#include "LineEnds.h"
#include "NoteMarkers.h"
#include "NotePieces.h"

#include <algorithm>
#include <iterator>
#include <list>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

namespace {

std::string BlockText(const std::string& renderedText) {
    return EndingItsLine(renderedText, false);
}

// Where blocks go that follow the user's text from from to the end: before the text the template puts after the
// blocks, where the note still holds it, else at the end.
Pieces::iterator BeforeAfterBlocksText(Pieces& pieces, Pieces::iterator from, const std::string& afterBlocks,
                                       bool crlf) {
    const std::string after = InLineEnds(afterBlocks, crlf);
    if (after.empty())
        return pieces.end();
    for (auto it = pieces.end(); it != from;) {
        --it;
        const std::size_t at = it->marker ? std::string::npos : it->text.rfind(after);
        if (at == std::string::npos)
            continue;
        if (at > 0) {
            pieces.insert(it, NotePiece{it->text.substr(0, at), {}, "", "", it->marks});
            it->text.erase(0, at);
        }
        return it;
    }
    return pieces.end();
}

// Where a block goes that follows the block at anchor: past the user's text after it (a comment on it, child blocks
// under it, stay with it), before the next block; after the last block, before the template's text after the blocks.
Pieces::iterator AfterUsersText(Pieces& pieces, Pieces::iterator anchor, const std::string& afterBlocks, bool crlf) {
    auto at = std::next(anchor);
    while (at != pieces.end() && !at->marker)
        ++at;
    return at != pieces.end() ? at : BeforeAfterBlocksText(pieces, std::next(anchor), afterBlocks, crlf);
}

// Where blocks go when the note has none the rendering knows: after the note's last block and the user's text after
// it; in a note without blocks, before the text the template puts after them.
Pieces::iterator EndOfBlocks(Pieces& pieces, const std::string& afterBlocks, bool crlf) {
    for (auto it = pieces.end(); it != pieces.begin();) {
        --it;
        if (it->marker)
            return AfterUsersText(pieces, it, afterBlocks, crlf);
    }
    return BeforeAfterBlocksText(pieces, pieces.begin(), afterBlocks, crlf);
}

std::vector<FrontMatterEntry> OwnedEntries(const RenderedNote& rendered) {
    std::string yaml = rendered.frontMatter;
    if (!yaml.empty() && !yaml.ends_with('\n'))
        yaml += '\n';
    std::vector<FrontMatterEntry> owned;
    for (FrontMatterEntry& entry : SplitEntries(yaml))
        if (entry.key != kVolumeIdKey && entry.key != kTemplateSetKey)
            owned.push_back(std::move(entry));
    owned.push_back({std::string(kVolumeIdKey), VolumeIdLine(rendered.volumeId) + '\n'});
    if (!rendered.templateSet.empty())
        owned.push_back({std::string(kTemplateSetKey), FrontMatterLine(kTemplateSetKey, rendered.templateSet) + '\n'});
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
void UpdateBlocks(Pieces& pieces, const RenderedNote& rendered, const std::set<std::string>* fromReader, bool crlf,
                  NoteChanges& changes) {
    std::map<std::string_view, const RenderedBlock*> wanted;
    for (const RenderedBlock& block : rendered.blocks)
        wanted.emplace(block.bookmarkId, &block);
    for (NotePiece& piece : pieces) {
        if (!piece.marker)
            continue;
        BlockMarker marker = *piece.marker;
        const auto found = wanted.find(marker.bookmarkId);
        if (found == wanted.end() || found->second->deletedOnReader) {
            // A heading stays over what its chapter keeps, deleted or not; a block this reader never gave is another
            // reader's, or another book's copied in with its markers.
            if (marker.deleted || IsChapterHeading(marker.bookmarkId) ||
                (found == wanted.end() && fromReader && !fromReader->contains(marker.bookmarkId)))
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

void AddNewBlocks(Pieces& pieces, const RenderedNote& rendered, NoteMarks marks, const std::set<std::string>& broken,
                  const NoteHistory& history, bool crlf, NoteChanges& changes) {
    std::map<std::string, Pieces::iterator, std::less<>> present;
    for (auto it = pieces.begin(); it != pieces.end(); ++it)
        if (it->marker)
            present.emplace(it->marker->bookmarkId, it);
    const std::vector<RenderedBlock>& order = rendered.blocks;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const RenderedBlock& block = order[i];
        if (block.deletedOnReader || present.contains(block.bookmarkId) || broken.contains(block.bookmarkId))
            continue;
        if (history.received && history.received->contains(block.bookmarkId) && !history.restore) {
            if (!IsChapterHeading(block.bookmarkId))
                changes.heldBack.push_back(block.bookmarkId);
            continue;
        }
        std::optional<Pieces::iterator> at;
        for (std::size_t earlier = i; earlier-- > 0 && !at;)
            if (const auto found = present.find(order[earlier].bookmarkId); found != present.end())
                at = AfterUsersText(pieces, found->second, rendered.afterBlocks, crlf);
        for (std::size_t later = i + 1; later < order.size() && !at; ++later)
            if (const auto found = present.find(order[later].bookmarkId); found != present.end())
                at = found->second;
        if (!at)
            at = EndOfBlocks(pieces, rendered.afterBlocks, crlf);
        const std::string text = BlockText(block.text);
        NotePiece piece = BlockPiece(InLineEnds(text, crlf), {block.bookmarkId, BlockHash(text), false}, marks, crlf);
        present.emplace(block.bookmarkId, pieces.insert(*at, std::move(piece)));
        (IsChapterHeading(block.bookmarkId) ? changes.headings : changes.added).push_back(block.bookmarkId);
    }
}

std::string Text(const FrontMatter& frontMatter, const Pieces& pieces, bool crlf) {
    std::string text = frontMatter.Text();
    for (const NotePiece& piece : pieces)
        AppendPiece(text, piece, crlf);
    return text;
}

bool NamesItsBookInFrontMatter(std::string_view note) {
    std::size_t length = 0;
    const std::optional<FrontMatter> frontMatter = ReadFrontMatter(note, length);
    return frontMatter && std::ranges::any_of(frontMatter->entries,
                                              [](const FrontMatterEntry& entry) { return entry.key == kVolumeIdKey; });
}

// Whether the note is an outline whose page properties name its book: a Logseq page.
bool NamesItsBookInPageProperties(std::string_view note) {
    if (note.starts_with("\xEF\xBB\xBF"))
        note.remove_prefix(3);
    for (const std::string_view line : SplitLines(note)) {
        const std::string_view text = WithoutLineEnd(line);
        if (text.empty() || text.starts_with('-') || text.find(":: ") == std::string_view::npos)
            return false;
        if (ParseVolumeIdProperty(text))
            return true;
    }
    return false;
}

// An outline's page properties with those that name the book and its template set, after the page's other
// properties.
std::string WithBookProperties(const std::string& beforeBlocks, const RenderedNote& rendered) {
    std::size_t end = 0;
    while (end < beforeBlocks.size()) {
        const std::size_t lineEnd = std::min(beforeBlocks.find('\n', end), beforeBlocks.size());
        const std::string_view line = std::string_view(beforeBlocks).substr(end, lineEnd - end);
        if (line.empty() || line.starts_with('-') || line.starts_with(' ') || line.starts_with('\t') ||
            line.find(":: ") == std::string_view::npos)
            break;
        end = std::min(lineEnd + 1, beforeBlocks.size());
    }
    std::string page = beforeBlocks.substr(0, end);
    if (!page.empty() && !page.ends_with('\n'))
        page += '\n';
    page += VolumeIdProperty(rendered.volumeId) + '\n';
    if (!rendered.templateSet.empty())
        page += PageProperty(kTemplateSetKey, rendered.templateSet) + '\n';
    return page + beforeBlocks.substr(end);
}

} // namespace

MergedNote NewNote(const RenderedNote& rendered) {
    if (rendered.marks == NoteMarks::Properties)
        return MergeNote(WithBookProperties(rendered.beforeBlocks, rendered) + rendered.afterBlocks, rendered);
    return MergeNote("---\n---\n" + rendered.beforeBlocks + rendered.afterBlocks, rendered);
}

MergedNote MergeNote(std::string_view note, const RenderedNote& rendered, const std::set<std::string>& quietKeys,
                     const NoteHistory& history) {
    // A set that writes comment markers would find none in an outline and add every highlight again.
    if (rendered.marks == NoteMarks::Comments && !NamesItsBookInFrontMatter(note) && NamesItsBookInPageProperties(note))
        throw std::runtime_error("The note is a Logseq page, which the template set \"" + rendered.templateSet +
                                 "\" cannot render in place: sync it with a Logseq set, or into another folder.");
    const bool crlf = UsesCrlf(note);
    MergedNote merged;
    std::size_t length = 0;
    // An outline keeps its book's name in the page's properties, which are the user's once written. A note written
    // with a front matter naming its book keeps its comment markers, whatever the set now renders.
    const NoteMarks marks = rendered.marks == NoteMarks::Properties && !NamesItsBookInFrontMatter(note)
                                ? NoteMarks::Properties
                                : NoteMarks::Comments;
    const bool outline = marks == NoteMarks::Properties;
    FrontMatter frontMatter;
    std::vector<FrontMatterEntry> owned;
    if (!outline) {
        frontMatter = ReadOrStartFrontMatter(note, length, crlf);
        owned = OwnedEntries(rendered);
        OwnedEntriesUpdate entries = UpdateOwnedEntries(frontMatter.entries, owned, crlf, quietKeys);
        merged.changes.frontMatterUpdated = entries.changed;
        merged.changes.keptKeys = std::move(entries.kept);
    }
    std::set<std::string> broken;
    Pieces pieces = ReadBody(note.substr(length), marks, broken);
    UpdateBlocks(pieces, rendered, history.fromReader, crlf, merged.changes);
    AddNewBlocks(pieces, rendered, marks, broken, history, crlf, merged.changes);
    for (const NotePiece& piece : pieces)
        if (piece.marker)
            merged.blockIds.insert(piece.marker->bookmarkId);
    if (!outline && !quietKeys.empty() && (merged.changes.frontMatterUpdated || merged.changes.AnyBlock()))
        UpdateOwnedEntries(frontMatter.entries, owned, crlf);
    merged.text = Text(frontMatter, pieces, crlf);
    return merged;
}
