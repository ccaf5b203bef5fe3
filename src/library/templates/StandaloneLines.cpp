#include "StandaloneLines.h"

#include <algorithm>
#include <vector>

namespace {

// A control character that book texts never keep (their values turn it into a space).
constexpr char kStandaloneMark = '\x02';

struct Tag {
    std::size_t start = 0;
    std::size_t end = 0;
    bool standalone = false; // a kind of tag that a line may hold alone
};

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

// The tags as the engine finds them: "{{" ... "}}" (or the delimiters a "{{=<% %>=}}" tag sets), "{{{" ... "}}}" for
// the default ones. Stops at a tag never closed: the template's check names that.
std::vector<Tag> TagsOf(std::string_view text) {
    std::vector<Tag> tags;
    std::string open = "{{", close = "}}";
    for (std::size_t at = text.find(open); at != std::string_view::npos; at = text.find(open, at)) {
        const bool triple = open == "{{" && close == "}}" && text.substr(at + 2).starts_with('{');
        const std::string_view closing = triple ? std::string_view("}}}") : std::string_view(close);
        const std::size_t contentStart = at + open.size() + (triple ? 1 : 0);
        const std::size_t end = text.find(closing, contentStart);
        if (end == std::string_view::npos)
            break;
        const std::string_view content = Trimmed(text.substr(contentStart, end - contentStart));
        Tag& tag = tags.emplace_back(Tag{at, end + closing.size()});
        tag.standalone =
            !triple && !content.empty() && std::string_view("#^/!=").find(content[0]) != std::string_view::npos;
        if (!triple && content.size() >= 2 && content.front() == '=' && content.back() == '=') {
            const std::string_view delimiters = Trimmed(content.substr(1, content.size() - 2));
            const std::size_t space = delimiters.find_first_of(" \t");
            if (space != std::string_view::npos) {
                open = delimiters.substr(0, space);
                close = Trimmed(delimiters.substr(space));
            }
        }
        at = tag.end;
    }
    return tags;
}

} // namespace

std::string JoinStandaloneLines(std::string_view text) {
    const std::vector<Tag> tags = TagsOf(text);
    std::string out;
    out.reserve(text.size());
    auto tag = tags.begin();
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lineEnd = std::min(text.find('\n', start), text.size());
        const std::size_t next = std::min(lineEnd + 1, text.size());
        while (tag != tags.end() && tag->end <= start)
            ++tag;
        auto after = tag;
        while (after != tags.end() && after->start < lineEnd)
            ++after;
        // One tag, wholly on this line, with blank text around it.
        if (after - tag == 1 && tag->standalone && tag->start >= start && tag->end <= lineEnd &&
            IsBlank(text.substr(start, tag->start - start)) && IsBlank(text.substr(tag->end, lineEnd - tag->end))) {
            out.append(text.substr(tag->start, tag->end - tag->start));
            out += kStandaloneMark;
        } else {
            out.append(text.substr(start, next - start));
        }
        start = next;
    }
    return out;
}

void StripStandaloneMarks(std::string& rendered) {
    if (rendered.find(kStandaloneMark) != std::string::npos)
        rendered.erase(std::remove(rendered.begin(), rendered.end(), kStandaloneMark), rendered.end());
}
