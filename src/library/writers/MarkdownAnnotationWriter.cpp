#include "MarkdownAnnotationWriter.h"

#include "BlockId.h"
#include "EveryColorIsGrey.h"
#include "Isbn.h"
#include "MarkdownFrontMatter.h"
#include "MarkdownMarkup.h"
#include "RecordTime.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <initializer_list>
#include <optional>
#include <vector>

namespace {

enum CharacterKind : unsigned char { kCopied, kEscaped, kEscapedInPairs, kSpace };

// The characters that form Markdown syntax wherever they stand: emphasis, code spans and fences, links and images
// ("[", "]"; "!", "(" and ")" form nothing without them), raw HTML and autolinks, entities, block quotes, ATX headings
// (also a heading's closing "#"s), tables and strike-through of the common extensions, and the escape itself. What
// note-taking programs read besides: "[[links]]" and "#tags" are kept by the escaped "[" and "#", a block id by the
// escaped "^", and "==marks==" and "%%comments%%" by escaping "=" and "%" where two stand together. Control
// characters other than the TAB become spaces: they mean nothing in a book, and some count as white space.
constexpr std::array<CharacterKind, 256> kKinds = [] {
    std::array<CharacterKind, 256> kinds{};
    for (const char c : std::string_view("\\`*_[]<>|~&#^"))
        kinds[static_cast<unsigned char>(c)] = kEscaped;
    kinds['='] = kinds['%'] = kEscapedInPairs;
    for (int c = 0; c < 0x20; ++c)
        kinds[c] = c == '\t' ? kCopied : kSpace;
    kinds[0x7F] = kSpace;
    return kinds;
}();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text without spaces and control characters at its ends.
std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Appends the text escaped, control characters but the TAB as spaces. At the start of a block line, "-", "+" and "="
// (list items, thematic breaks, setext underlines) and the "." or ")" after leading digits (ordered list items) are
// escaped too.
void AppendEscaped(std::string& out, std::string_view text, bool lineStart) {
    std::size_t i = 0;
    if (lineStart && !text.empty()) {
        const char first = text[0];
        if (first == '-' || first == '+' || first == '=') {
            out += '\\';
            out += first;
            i = 1;
        } else if (IsDigit(first)) {
            std::size_t end = 1;
            while (end < text.size() && IsDigit(text[end]))
                ++end;
            if (end < text.size() && (text[end] == '.' || text[end] == ')')) {
                out.append(text.substr(0, end));
                out += '\\';
                out += text[end];
                i = end + 1;
            }
        }
    }
    std::size_t run = i;
    for (; i < text.size(); ++i) {
        CharacterKind kind = kKinds[static_cast<unsigned char>(text[i])];
        if (kind == kEscapedInPairs)
            kind = (i > 0 && text[i - 1] == text[i]) || (i + 1 < text.size() && text[i + 1] == text[i]) ? kEscaped
                                                                                                        : kCopied;
        if (kind == kCopied)
            continue;
        out.append(text.substr(run, i - run));
        if (kind == kEscaped) {
            out += '\\';
            out += text[i];
        } else {
            out += ' ';
        }
        run = i + 1;
    }
    out.append(text.substr(run));
}

// The Unicode space characters (general category Zs) besides the space: CommonMark counts them as white space, which
// decides whether a "*" opens or closes emphasis.
constexpr std::string_view kUnicodeSpaces[] = {"\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
                                               "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85",
                                               "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
                                               "\xE2\x80\x8A", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};

// The text without white space at its ends, also Unicode spaces.
std::string_view TrimmedUnicode(std::string_view text) {
    for (bool trimmedOne = true; trimmedOne;) {
        text = Trimmed(text);
        if (text.empty() ||
            (static_cast<unsigned char>(text.front()) < 0x80 && static_cast<unsigned char>(text.back()) < 0x80))
            break;
        trimmedOne = false;
        for (const std::string_view space : kUnicodeSpaces) {
            if (text.starts_with(space))
                text.remove_prefix(space.size()), trimmedOne = true;
            if (text.ends_with(space))
                text.remove_suffix(space.size()), trimmedOne = true;
        }
    }
    return text;
}

// Control characters, TABs and line breaks too, become spaces, and the ends lose their white space, so that the text
// can stand between emphasis marks.
void AppendInline(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    AppendEscaped(out, TrimmedUnicode(text), false);
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\t', ' ');
}

void AppendBlock(std::string& out, std::string_view text, std::string_view prefix) {
    const std::string_view blankPrefix = prefix.substr(0, prefix.find_last_not_of(' ') + 1);
    bool any = false, blank = false;
    std::size_t start = 0;
    while (true) {
        std::size_t end = start; // a plain loop: find_first_of looks each character up in the set
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const std::string_view line = Trimmed(text.substr(start, end - start));
        if (line.empty()) {
            blank = any;
        } else {
            if (blank) {
                out += blankPrefix;
                out += '\n';
                blank = false;
            }
            out += prefix;
            AppendEscaped(out, line, true);
            out += '\n';
            any = true;
        }
        if (end == text.size())
            break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

// One block: its lines, then the empty line that ends it.
void AppendBlockOf(std::string& out, std::string_view text, std::string_view prefix = "") {
    const std::size_t before = out.size();
    AppendBlock(out, text, prefix);
    if (out.size() != before)
        out += '\n';
}

void AppendHeading(std::string& out, std::string_view marks, std::string_view text) {
    out += marks;
    const std::size_t before = out.size();
    out += ' ';
    AppendInline(out, text);
    if (out.size() == before + 1)
        out.pop_back(); // an empty heading: no space after the marks
    out += "\n\n";
}

// The fragments joined by " · " and emphasised, as one paragraph; nothing where every fragment is empty.
void AppendInfoLine(std::string& out, std::initializer_list<std::string_view> fragments) {
    bool any = false;
    for (const std::string_view fragment : fragments) {
        const std::size_t before = out.size();
        out += any ? " \xC2\xB7 " : "*";
        const std::size_t start = out.size();
        AppendInline(out, fragment);
        if (out.size() == start)
            out.resize(before);
        else
            any = true;
    }
    if (any)
        out += "*\n\n";
}

// The block id on its own line: after a quote, as note-taking programs want it for a block quote, it names the
// highlighted text; a bookmark without one gets it after its last block.
void AppendBlockIdOf(std::string& out, const AnnotatedBookmark& bookmark) {
    out += '^';
    out += BlockId(bookmark.bookmarkId);
    out += "\n\n";
}

void AppendBookmark(std::string& out, const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark,
                    bool colorsSayNothing) {
    const bool hasQuote = !Trimmed(bookmark.text).empty(), hasNote = !Trimmed(bookmark.annotation).empty();
    AppendBlockOf(out, bookmark.text, "> ");
    if (hasQuote)
        AppendBlockIdOf(out, bookmark);
    if (hasNote)
        out += "**Note:** "; // before the note's first line that is not empty
    AppendBlockOf(out, bookmark.annotation);

    std::string position = volume.PositionText(bookmark), label;
    if (!position.empty())
        position += " %";
    if (bookmark.type == "dogear") {
        label = position.empty() ? "Page bookmark" : "Page bookmark at " + position;
        position.clear();
    } else if (bookmark.type == "markup") {
        AppendMarkupPicture(out, bookmark);
        label = MarkupLabel(bookmark);
    } else if (!hasQuote && !hasNote) {
        label = "Bookmark without text";
    }
    const std::string date = RecordTime(bookmark.dateCreated.empty() ? bookmark.dateModified : bookmark.dateCreated);
    AppendInfoLine(out, {label, position, colorsSayNothing ? std::string_view() : bookmark.color, date,
                         bookmark.deleted ? "deleted on the reader" : ""});
    if (!hasQuote)
        AppendBlockIdOf(out, bookmark);
}

// A part's heading follows its depth in the table of contents: "##" for the top, "###" under it, down to "######",
// the deepest heading Markdown has.
std::string_view HeadingMarks(const PartFacts& part) {
    constexpr std::string_view kMarks = "######";
    return kMarks.substr(0, static_cast<std::size_t>(std::clamp(part.depth + 1, 2, 6)));
}

} // namespace

void MarkdownAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    ChunkedBytes chunks(sink);
    std::string& out = chunks.Bytes();

    const std::string title = volume.title.empty() ? BookFileName(volume.volumeId) : volume.title;
    out += markdown::FrontMatter(volume, title, m_exportDate);
    out += '\n';

    AppendHeading(out, "#", title);
    AppendBlockOf(out, volume.author);
    std::vector<std::string> facts;
    if (!volume.publisher.empty())
        facts.push_back(volume.publisher);
    if (!volume.isbn.empty())
        facts.push_back((IsIsbn(volume.isbn) ? "ISBN " : "identifier ") + volume.isbn);
    if (!volume.language.empty())
        facts.push_back("language: " + volume.language);
    std::string factLine;
    for (const std::string& fact : facts)
        factLine += (factLine.empty() ? "" : " \xC2\xB7 ") + fact;
    AppendBlockOf(out, factLine);

    // A chapter heading wherever the part changes, as the text file's section lines.
    std::string_view remembered;
    const bool colorsSayNothing = EveryColorIsGrey(volume);
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        // Before a bookmark, so that the last one's empty line is still here to be taken back.
        chunks.Checkpoint();
        const PartFacts& part = volume.PartOf(bookmark);
        if (part.contentId != remembered) {
            remembered = part.contentId;
            AppendHeading(out, HeadingMarks(part), part.Heading());
            if (part.found)
                AppendBlockOf(out, part.attribution);
        }
        AppendBookmark(out, volume, bookmark, colorsSayNothing);
    }
    out.pop_back(); // the file ends with its last line's end, not with an empty line
    chunks.Finish();
}
