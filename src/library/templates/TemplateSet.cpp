#include "TemplateSet.h"

#include "ETemplateError.h"
#include "EveryColorIsGrey.h"
#include "StandaloneLines.h"
#include "TemplateCheck.h"
#include "TemplateValues.h"
#include "TemplateVariables.h"

namespace {

namespace mustache = kainjow::mustache;

// The text with its white space at both ends taken off: a name's last line end is the file's, not the name's.
std::string Trimmed(std::string text) {
    const std::size_t first = text.find_first_not_of(" \t\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

// What a note may grow to while it renders: a template that repeats a book's long texts many times over stops here,
// with a message for that book, instead of filling the memory. No note this large could be synced either.
constexpr std::size_t kMostNoteBytes = std::size_t{64} << 20;

// The engine's output, counted against what the note has left.
class BudgetedText {
public:
    BudgetedText(std::size_t& left, const std::string& file) : m_left(left), m_file(file) {}
    BudgetedText& operator<<(const std::string& piece) {
        if (piece.size() > m_left)
            throw ETemplateError(m_file + ": the note grows past " + std::to_string(kMostNoteBytes >> 20) +
                                 " MiB: the template repeats too much of the book");
        m_left -= piece.size();
        m_text += piece;
        return *this;
    }
    std::string Take() { return std::move(m_text); }

private:
    std::size_t& m_left;
    const std::string& m_file;
    std::string m_text;
};

// The text a template renders, without the marks of its standalone lines; the values' marks stay, for the caller to
// split at a Place first. What it renders is taken from left.
std::string Rendered(mustache::mustache& parsed, const std::string& file, mustache::context<std::string>& context,
                     std::size_t& left) {
    BudgetedText rendered(left, file);
    parsed.render(context, rendered);
    std::string text = rendered.Take();
    if (!parsed.is_valid())
        throw ETemplateError(file + ": " + parsed.error_message());
    StripStandaloneMarks(text);
    return text;
}

// The rendered text split where its Place value stands: before and after it, each without the values' marks. A place
// on a line of its own stands for whole lines: the line end after it is theirs.
std::pair<std::string, std::string> SplitAtPlace(const std::string& rendered) {
    const std::size_t place = rendered.find(PlaceMark());
    std::pair<std::string, std::string> parts(rendered.substr(0, place), std::string());
    if (place != std::string::npos)
        parts.second = rendered.substr(place + PlaceMark().size());
    if ((parts.first.empty() || parts.first.ends_with('\n')) && parts.second.starts_with('\n'))
        parts.second.erase(0, 1);
    StripValueMarks(parts.first);
    StripValueMarks(parts.second);
    return parts;
}

// The book template in its two parts: the front matter between its leading "---" lines, and the rest.
struct BookParts {
    explicit BookParts(const TemplateText& book) {
        const std::string& text = book.text;
        body = text;
        if (!text.starts_with("---\n"))
            return;
        std::size_t line = 2;
        for (std::size_t start = 4; start < text.size(); ++line) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            if (text.compare(start, end - start, "---") == 0) {
                hasFrontMatter = true;
                frontMatter = text.substr(4, start - 4);
                body = end < text.size() ? text.substr(end + 1) : std::string();
                bodyLine = line + 1;
                return;
            }
            start = end + 1;
        }
        throw ETemplateError(book.file + ":1: the front matter's \"---\" is never closed by a \"---\" line");
    }
    bool hasFrontMatter = false;
    std::string frontMatter; // from line 2
    std::string body;
    std::size_t bodyLine = 1;
};

// One file's template, parsed and checked, with its file's name for the engine's own errors.
struct Piece {
    Piece(const std::string& text, TemplatePiece piece, TemplateOrigin origin, TemplateNames& used,
          markdown::Dialect dialect)
        : file(origin.file), parsed(CheckedTemplate(text, piece, origin, used, dialect)) {}
    std::string file;
    mustache::mustache parsed;
};

// Whose Markdown the set's notes are read by.
markdown::Dialect Dialect(const TemplateSetSource& source) {
    if (source.noteApp == "logseq")
        return markdown::Dialect::Logseq;
    return source.noteApp == "obsidian" ? markdown::Dialect::Obsidian : markdown::Dialect::CommonMark;
}

} // namespace

struct TemplateSet::Pieces {
    Pieces(const TemplateSetSource& source, const BookParts& book)
        : hasFrontMatter(book.hasFrontMatter),
          frontMatter(book.frontMatter, TemplatePiece::FrontMatter, {source.book.file, 2}, used, Dialect(source)),
          body(book.body, TemplatePiece::Body, {source.book.file, book.bodyLine}, used, Dialect(source)),
          highlight(source.highlight.text, TemplatePiece::Highlight, {source.highlight.file}, used, Dialect(source)),
          noteName(source.noteName.text, TemplatePiece::Name, {source.noteName.file}, used, Dialect(source)),
          deleted(source.deleted.text, TemplatePiece::Deleted, {source.deleted.file}, used, Dialect(source)) {}
    bool hasFrontMatter;
    TemplateNames used; // the values any of them uses: only those are made

    Piece frontMatter;
    Piece body;
    Piece highlight;
    Piece noteName;
    Piece deleted;
};

TemplateSet::TemplateSet(const TemplateSetSource& source)
    : m_name(source.name), m_noteApp(source.noteApp),
      m_pieces(std::make_shared<const Pieces>(source, BookParts(source.book))) {}

std::shared_ptr<const TemplateSet> TemplateSet::Named(const std::string& nameOrFolder) {
    return std::make_shared<const TemplateSet>(FindTemplateSet(nameOrFolder));
}

RenderedNote TemplateSet::Render(const AnnotatedVolume& volume, std::string_view exportDate) const {
    // The engine keeps its state while it renders: each note renders copies of the parsed templates.
    Pieces pieces = *m_pieces;
    Piece &frontMatter = pieces.frontMatter, &body = pieces.body, &highlight = pieces.highlight,
          &noteName = pieces.noteName, &deleted = pieces.deleted;
    const mustache::data book = BookData({volume, exportDate}, m_pieces->used);
    std::size_t left = kMostNoteBytes;
    RenderedNote note;
    note.volumeId = volume.volumeId;
    note.templateSet = m_name;
    note.marks = m_noteApp == "logseq" ? NoteMarks::Properties : NoteMarks::Comments;
    {
        mustache::context<std::string> context(&book);
        std::string name = Rendered(noteName.parsed, noteName.file, context, left);
        StripValueMarks(name);
        note.name = Trimmed(std::move(name));
    }
    if (pieces.hasFrontMatter) {
        mustache::context<std::string> context(&book);
        note.frontMatter = Rendered(frontMatter.parsed, frontMatter.file, context, left);
        StripValueMarks(note.frontMatter);
    }
    {
        const mustache::data place(std::string(template_names::kHighlights), TemplateValue(ValueKind::Place, ""));
        mustache::context<std::string> context(&book);
        context.push(&place);
        std::tie(note.beforeBlocks, note.afterBlocks) = SplitAtPlace(Rendered(body.parsed, body.file, context, left));
    }
    const bool colorsSayNothing = EveryColorIsGrey(volume);
    const auto renderHighlight = [&](const AnnotatedBookmark& bookmark, bool firstOfChapter) {
        const mustache::data values =
            HighlightData({volume, bookmark, firstOfChapter, colorsSayNothing}, m_pieces->used);
        mustache::context<std::string> context(&book);
        context.push(&values);
        std::string text = Rendered(highlight.parsed, highlight.file, context, left);
        StripValueMarks(text);
        return text;
    };
    const std::vector<AnnotatedBookmark>& bookmarks = volume.bookmarks;
    note.blocks.reserve(bookmarks.size() + volume.parts.size());
    for (std::size_t first = 0; first < bookmarks.size();) {
        std::size_t end = first + 1;
        while (end < bookmarks.size() && bookmarks[end].part == bookmarks[first].part)
            ++end;
        // The heading comes from the chapter's first live highlight, and stands before all of its highlights.
        std::size_t leading = first;
        while (leading < end && bookmarks[leading].deleted)
            ++leading;
        const bool allDeleted = leading == end;
        if (allDeleted)
            leading = first;
        // A part without a name (another reader's book without chapters) is headed by nothing, as in the Markdown
        // and text files.
        const PartFacts& part = volume.PartOf(bookmarks[first]);
        const bool nameless = !part.found && part.contentId.empty();
        std::string withHeading = renderHighlight(bookmarks[leading], !nameless);
        std::string withoutHeading = renderHighlight(bookmarks[leading], false);
        // A template that heads a chapter other than with lines before its first highlight keeps them together.
        const bool ownHeading =
            withHeading.size() > withoutHeading.size() && std::string_view(withHeading).ends_with(withoutHeading);
        if (ownHeading)
            note.blocks.push_back({std::string(kChapterHeadingId) + volume.PartOf(bookmarks[first]).contentId,
                                   withHeading.substr(0, withHeading.size() - withoutHeading.size()), allDeleted});
        for (std::size_t i = first; i < end; ++i) {
            RenderedBlock& block = note.blocks.emplace_back();
            block.bookmarkId = bookmarks[i].bookmarkId;
            block.text = i != leading ? renderHighlight(bookmarks[i], false)
                         : ownHeading ? withoutHeading
                                      : withHeading;
            block.deletedOnReader = bookmarks[i].deleted;
        }
        first = end;
    }
    {
        const mustache::data place(std::string(template_names::kBlock), TemplateValue(ValueKind::Place, ""));
        mustache::context<std::string> context(&place);
        std::tie(note.deletedBefore, note.deletedAfter) =
            SplitAtPlace(Rendered(deleted.parsed, deleted.file, context, left));
    }
    return note;
}
