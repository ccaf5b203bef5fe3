#include "MarkdownText.h"

#include <algorithm>
#include <array>

namespace {

enum CharacterKind : unsigned char { kCopied, kEscaped, kEscapedInPairs, kSpace };

// The characters that form Markdown syntax wherever they stand: emphasis, code spans and fences, links and images
// ("[", "]"; "!", "(" and ")" form nothing without them), raw HTML and autolinks, entities, block quotes, ATX headings
// (also a heading's closing "#"s), tables and strike-through of the common extensions, and the escape itself. What
// note-taking programs read besides: "[[links]]" and "#tags" are kept by the escaped "[" and "#", a block id by the
// escaped "^", and "==marks==" and "%%comments%%" by escaping "=" and "%" where two stand together. Control
// characters other than the TAB become spaces: they mean nothing in a book, and some count as white space.
using Kinds = std::array<CharacterKind, 256>;

constexpr Kinds KindsOf(std::string_view escaped) {
    Kinds kinds{};
    for (const char c : escaped)
        kinds[static_cast<unsigned char>(c)] = kEscaped;
    kinds['='] = kinds['%'] = kEscapedInPairs;
    for (int c = 0; c < 0x20; ++c)
        kinds[c] = c == '\t' ? kCopied : kSpace;
    kinds[0x7F] = kSpace;
    return kinds;
}

constexpr Kinds kCommonMark = KindsOf("\\`*_[]<>|~&#^");
constexpr Kinds kObsidian = KindsOf("\\`*_[]<>|~&#^$");
// "[" and "(" stay: escaped, Logseq takes them for a formula's start. A link, a page or a block reference is kept by
// its escaped "]" or ")"; "&" forms nothing there.
constexpr Kinds kLogseq = KindsOf("\\`*_])<>|~#^${}");

const Kinds& KindsFor(markdown::Dialect dialect) {
    switch (dialect) {
    case markdown::Dialect::Obsidian:
        return kObsidian;
    case markdown::Dialect::Logseq:
        return kLogseq;
    case markdown::Dialect::CommonMark:
        break;
    }
    return kCommonMark;
}

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
void AppendEscaped(std::string& out, std::string_view text, bool lineStart, const Kinds& kinds) {
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
        CharacterKind kind = kinds[static_cast<unsigned char>(text[i])];
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

} // namespace

namespace markdown {

void AppendInline(std::string& out, std::string_view text, Dialect dialect) {
    const std::size_t start = out.size();
    AppendEscaped(out, TrimmedUnicode(text), false, KindsFor(dialect));
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\t', ' ');
}

void AppendBlock(std::string& out, std::string_view text, std::string_view prefix, Dialect dialect) {
    const Kinds& kinds = KindsFor(dialect);
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
            AppendEscaped(out, line, true, kinds);
            out += '\n';
            any = true;
        }
        if (end == text.size())
            break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

bool IsBlank(std::string_view text) {
    return Trimmed(text).empty();
}

} // namespace markdown
