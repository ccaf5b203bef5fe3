#include "TemplateValues.h"

#include "MarkdownFrontMatter.h"
#include "MarkdownText.h"

namespace {

// A value is its mark, its kind and its text; in the text, the mark and the standalone lines' mark
// (StandaloneLines.h) stand as the mark and a character of their own, so that no text is ever taken for a mark.
constexpr char kMark = '\x01';
constexpr char kStandaloneMark = '\x02';
constexpr char kOwnMark = '\x01', kOwnStandaloneMark = '\x03';

// The value's text as it was given.
std::string TextOf(std::string_view marked) {
    if (marked.find(kMark) == std::string_view::npos)
        return std::string(marked);
    std::string text;
    text.reserve(marked.size());
    for (std::size_t i = 0; i < marked.size(); ++i) {
        if (marked[i] == kMark && i + 1 < marked.size())
            text += marked[++i] == kOwnMark ? kMark : kStandaloneMark;
        else
            text += marked[i];
    }
    return text;
}

} // namespace

kainjow::mustache::data TemplateValue(ValueKind kind, std::string_view text) {
    if (kind != ValueKind::Place && markdown::IsBlank(text))
        return kainjow::mustache::data(false);
    std::string value;
    value.reserve(text.size() + 2);
    value += kMark;
    value += static_cast<char>(kind);
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != kMark && text[i] != kStandaloneMark)
            continue;
        value.append(text.substr(run, i - run));
        value.append({kMark, text[i] == kMark ? kOwnMark : kOwnStandaloneMark});
        run = i + 1;
    }
    value.append(text.substr(run));
    return kainjow::mustache::data(value);
}

std::string TemplateEscape(const std::string& value, TemplateOutput output, markdown::Dialect dialect) {
    if (value.size() < 2 || value[0] != kMark)
        return value;
    const auto kind = static_cast<ValueKind>(value[1]);
    if (kind == ValueKind::Place)
        return value;
    const std::string text = TextOf(std::string_view(value).substr(2));
    std::string out;
    switch (output) {
    case TemplateOutput::Plain:
        return text;
    case TemplateOutput::Yaml:
        if (kind == ValueKind::Flag)
            return "true";
        return kind == ValueKind::Number ? markdown::YamlNumber(text) : markdown::YamlQuoted(text);
    case TemplateOutput::Markdown:
        break;
    }
    switch (kind) {
    case ValueKind::Text:
        markdown::AppendBlock(out, text, "", dialect);
        if (!out.empty())
            out.pop_back(); // the line end after its last line is the template's
        return out;
    case ValueKind::Line:
    case ValueKind::Number:
        markdown::AppendInline(out, text, dialect);
        return out;
    case ValueKind::Flag:
        return "true";
    case ValueKind::Markdown:
    case ValueKind::Place:
        break;
    }
    return text;
}

void StripValueMarks(std::string& rendered) {
    std::size_t kept = rendered.find(kMark);
    if (kept == std::string::npos)
        return;
    for (std::size_t i = kept; i < rendered.size(); ++i) {
        if (rendered[i] != kMark || i + 1 == rendered.size())
            rendered[kept++] = rendered[i];
        else if (const char next = rendered[++i]; next == kOwnMark || next == kOwnStandaloneMark)
            rendered[kept++] = next == kOwnMark ? kMark : kStandaloneMark;
    }
    rendered.resize(kept);
}

std::string_view PlaceMark() {
    static const std::string mark{kMark, static_cast<char>(ValueKind::Place)};
    return mark;
}
