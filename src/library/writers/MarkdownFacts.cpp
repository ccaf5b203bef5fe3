#include "MarkdownFacts.h"

#include "Isbn.h"
#include "MarkdownMarkup.h"
#include "MarkdownText.h"
#include "RecordTime.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr std::string_view kDot = " \xC2\xB7 ";

} // namespace

namespace markdown {

std::string BookFacts(const AnnotatedVolume& volume) {
    std::string facts;
    const auto add = [&facts](std::string_view fact) { (facts.empty() ? facts : facts.append(kDot)).append(fact); };
    if (!volume.publisher.empty())
        add(volume.publisher);
    if (!volume.isbn.empty())
        add((IsIsbn(volume.isbn) ? "ISBN " : "identifier ") + volume.isbn);
    if (!volume.language.empty())
        add("language: " + volume.language);
    return facts;
}

std::string BookmarkLabel(const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark) {
    if (bookmark.type == "dogear") {
        const std::string position = volume.PositionText(bookmark);
        return position.empty() ? "Page bookmark" : "Page bookmark at " + position + " %";
    }
    if (bookmark.type == "markup")
        return MarkupLabel(bookmark);
    if (IsBlank(bookmark.text) && IsBlank(bookmark.annotation))
        return "Bookmark without text";
    return {};
}

std::string GoneText(const AnnotatedBookmark& bookmark) {
    if (!bookmark.gone)
        return {};
    return bookmark.lastSeen.empty() ? "gone from the reader"
                                     : "gone from the reader, last seen " + RecordTime(bookmark.lastSeen);
}

std::string_view HeadingMarks(const PartFacts& part) {
    constexpr std::string_view kMarks = "######";
    return kMarks.substr(0, static_cast<std::size_t>(std::clamp(part.depth + 1, 2, 6)));
}

std::string FactLine(const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark, bool colorsSayNothing) {
    // A page bookmark's position is in its label.
    std::string position = bookmark.type == "dogear" ? std::string() : volume.PositionText(bookmark);
    if (!position.empty())
        position += " %";
    const std::string label = BookmarkLabel(volume, bookmark);
    const std::string date = RecordTime(bookmark.dateCreated.empty() ? bookmark.dateModified : bookmark.dateCreated);
    const std::string gone = GoneText(bookmark);
    std::string line;
    for (const std::string_view fragment :
         {std::string_view(label), std::string_view(position), colorsSayNothing ? std::string_view() : bookmark.color,
          std::string_view(date), std::string_view(bookmark.deleted ? "deleted on the reader" : ""),
          std::string_view(gone)}) {
        const std::size_t before = line.size();
        if (!line.empty())
            line += kDot;
        const std::size_t start = line.size();
        AppendInline(line, fragment);
        if (line.size() == start)
            line.resize(before);
    }
    return line;
}

} // namespace markdown
