#include "HtmlAnnotationWriter.h"

#include "EveryColorIsGrey.h"
#include "HtmlPage.h"
#include "HtmlText.h"
#include "MarkdownFacts.h"
#include "MarkdownFrontMatter.h"
#include "MarkdownText.h"
#include "PercentEncodedPath.h"
#include "RecordTime.h"

#include <algorithm>
#include <array>

namespace {

using html::AppendEscaped;
using html::AppendLines;

constexpr std::string_view kDot = " \xC2\xB7 ";
constexpr std::array<std::string_view, 5> kColors = {"yellow", "pink", "blue", "green", "grey"};

// A paragraph of the class holding the facts that are there, joined by dots; nothing where none is.
void AppendFacts(std::string& out, std::string_view className, std::initializer_list<std::string_view> facts) {
    std::string joined;
    for (const std::string_view fact : facts) {
        if (fact.empty())
            continue;
        if (!joined.empty())
            joined += kDot;
        AppendEscaped(joined, fact);
    }
    if (!joined.empty())
        out.append("<p class=\"").append(className).append("\">").append(joined) += "</p>\n";
}

std::string Stars(std::string_view rating) {
    if (rating.size() != 1 || rating[0] < '1' || rating[0] > '5')
        return {};
    const int stars = rating[0] - '0';
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += i < stars ? "\xE2\x98\x85" : "\xE2\x98\x86"; // black and white stars
    return text;
}

void AppendHeader(std::string& out, const AnnotatedVolume& volume, std::string_view title,
                  std::string_view exportDate) {
    out += "<header>\n";
    if (!volume.cover.empty()) {
        // Styled here, not in the page's style sheet, so that a page without a cover stays as it was.
        out += "<img class=\"cover\" src=\"";
        html::AppendEscaped(out, PercentEncodedPath(volume.cover));
        out += "\" alt=\"Cover\" style=\"float: right; max-height: 12em; margin: 0 0 1em 1em\">\n";
    }
    out += "<h1>";
    AppendEscaped(out, title);
    out += "</h1>\n";
    if (!markdown::IsBlank(volume.author)) {
        out += "<p class=\"author\">";
        AppendEscaped(out, volume.author);
        out += "</p>\n";
    }
    const std::string facts = markdown::BookFacts(volume);
    std::string collections;
    for (const std::string& name : volume.collections)
        (collections.empty() ? collections.append("Collections: ") : collections.append(", ")).append(name);
    const std::string_view status = markdown::ReadStatusName(volume.readStatus);
    const bool knownStatus = status == "unread" || status == "reading" || status == "finished";
    const std::string statusFact = knownStatus ? "status: " + std::string(status) : std::string();
    AppendFacts(out, "facts", {facts, collections, Stars(volume.rating), statusFact});
    AppendFacts(out, "exported", {"Exported " + std::string(exportDate)});
    out += "</header>\n";
}

void AppendHeading(std::string& out, const PartFacts& part) {
    const std::string level = std::to_string(std::clamp(part.depth + 1, 2, 6));
    out.append("<h").append(level) += '>';
    AppendEscaped(out, part.Heading());
    out.append("</h").append(level) += ">\n";
    if (part.found)
        AppendFacts(out, "author", {part.attribution});
}

// The date as a <time> element where it has the one form the exports give, else as stored.
void AppendDate(std::string& out, std::string_view stored) {
    const std::string time = RecordTime(stored);
    if (time.size() == 24 && time[10] == 'T' && time.back() == 'Z') {
        out.append("<time datetime=\"").append(time).append("\">").append(time.substr(0, 10)).append(" ");
        out.append(time.substr(11, 5)).append(" UTC</time>");
    } else {
        AppendEscaped(out, time);
    }
}

void AppendBookmark(std::string& out, const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark,
                    bool colorsSayNothing) {
    const bool colored = !colorsSayNothing && std::ranges::find(kColors, bookmark.color) != kColors.end();
    out += "<article class=\"bookmark";
    if (colored)
        out.append(" ").append(bookmark.color);
    if (bookmark.deleted)
        out += " deleted";
    out += "\">\n";
    if (!markdown::IsBlank(bookmark.text)) {
        out += "<blockquote dir=\"auto\"><p>";
        AppendLines(out, bookmark.text);
        out += "</p></blockquote>\n";
    }
    if (!markdown::IsBlank(bookmark.annotation)) {
        out += "<p class=\"note\" dir=\"auto\">";
        AppendLines(out, bookmark.annotation);
        out += "</p>\n";
    }
    std::string position = bookmark.type == "dogear" ? std::string() : volume.PositionText(bookmark);
    if (!position.empty())
        position += " %";
    const std::string label = markdown::BookmarkLabel(volume, bookmark);
    std::string meta;
    const std::string_view date = bookmark.dateCreated.empty() ? bookmark.dateModified : bookmark.dateCreated;
    for (const std::string_view fact :
         {std::string_view(label), std::string_view(position), colored ? bookmark.color : std::string_view(), date,
          std::string_view(bookmark.deleted ? "deleted on the reader" : "")}) {
        if (fact.empty())
            continue;
        if (!meta.empty())
            meta += kDot;
        if (fact.data() == date.data())
            AppendDate(meta, date);
        else
            AppendEscaped(meta, fact);
    }
    if (!meta.empty())
        out.append("<p class=\"meta\">").append(meta) += "</p>\n";
    out += "</article>\n";
}

} // namespace

void HtmlAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    ChunkedBytes chunks(sink);
    std::string& out = chunks.Bytes();
    const std::string title = volume.title.empty() ? BookFileName(volume.volumeId) : volume.title;
    std::string pageTitle = title;
    if (!markdown::IsBlank(volume.author))
        pageTitle.append(" \xE2\x80\x94 ").append(volume.author); // an em dash
    out += html::PageStart(pageTitle, volume.language);
    AppendHeader(out, volume, title, m_exportDate);
    out += "<main>\n";
    std::string_view remembered;
    bool first = true;
    const bool colorsSayNothing = EveryColorIsGrey(volume);
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        chunks.Checkpoint();
        const PartFacts& part = volume.PartOf(bookmark);
        if (first || part.contentId != remembered) {
            if (!first)
                out += "</section>\n";
            out += "<section>\n";
            remembered = part.contentId;
            first = false;
            AppendHeading(out, part);
        }
        AppendBookmark(out, volume, bookmark, colorsSayNothing);
    }
    if (!first)
        out += "</section>\n";
    out += "</main>\n";
    out += html::PageEnd();
    chunks.Finish();
}
