#include "TemplateVariables.h"

#include "BlockId.h"
#include "Isbn.h"
#include "MarkdownFacts.h"
#include "MarkdownFrontMatter.h"
#include "MarkdownText.h"
#include "NoteTag.h"
#include "PercentEncodedPath.h"
#include "RecordTime.h"

#include <algorithm>
#include <array>
#include <functional>

namespace {

using kainjow::mustache::data;

std::string Count(const AnnotatedVolume& volume, const std::function<bool(const AnnotatedBookmark&)>& counted) {
    return std::to_string(std::ranges::count_if(volume.bookmarks, counted));
}

// The bookmarks a note shows as live: one the reader deleted is marked so, and counts only as deleted.
std::string CountLive(const AnnotatedVolume& volume, const std::function<bool(const AnnotatedBookmark&)>& counted) {
    return Count(volume, [&counted](const AnnotatedBookmark& b) { return !b.deleted && counted(b); });
}

std::string Flag(bool set) {
    return set ? "true" : "";
}

// The ISBN where the stored value is one, the identifier where it is not.
std::string IsbnOf(const AnnotatedVolume& volume, bool isbn) {
    return IsIsbn(volume.isbn) == isbn ? volume.isbn : std::string();
}

const std::array<TemplateVariable<BookInput>, 28> kBook = {{
    {"title", ValueKind::Line,
     [](const BookInput& in) { return in.volume.title.empty() ? BookFileName(in.volume.volumeId) : in.volume.title; }},
    {"author", ValueKind::Text, [](const BookInput& in) { return in.volume.author; }},
    {"publisher", ValueKind::Line, [](const BookInput& in) { return in.volume.publisher; }},
    {"isbn", ValueKind::Line, [](const BookInput& in) { return IsbnOf(in.volume, true); }},
    {"identifier", ValueKind::Line, [](const BookInput& in) { return IsbnOf(in.volume, false); }},
    {"language", ValueKind::Line, [](const BookInput& in) { return in.volume.language; }},
    {"series", ValueKind::Line, [](const BookInput& in) { return in.volume.series; }},
    {"seriesNumber", ValueKind::Number, [](const BookInput& in) { return in.volume.seriesNumber; }},
    {"description", ValueKind::Text, [](const BookInput& in) { return in.volume.description; }},
    {"bookFacts", ValueKind::Text, [](const BookInput& in) { return markdown::BookFacts(in.volume); }},
    {"progress", ValueKind::Number, [](const BookInput& in) { return in.volume.percentRead; }},
    {"status", ValueKind::Line,
     [](const BookInput& in) { return std::string(markdown::ReadStatusName(in.volume.readStatus)); }},
    {"lastRead", ValueKind::Line, [](const BookInput& in) { return RecordTime(in.volume.dateLastRead); }},
    {"timeSpentReadingSeconds", ValueKind::Number, [](const BookInput& in) { return in.volume.timeSpentReading; }},
    {"rating", ValueKind::Number, [](const BookInput& in) { return in.volume.rating; }},
    {"cover", ValueKind::Line, [](const BookInput& in) { return in.volume.cover; }},
    // Empty rather than 0, so that {{#collectionCount}} stands for "on some collection".
    {"collectionCount", ValueKind::Number,
     [](const BookInput& in) {
         return in.volume.collections.empty() ? std::string() : std::to_string(in.volume.collections.size());
     }},
    {"volumeId", ValueKind::Line, [](const BookInput& in) { return in.volume.volumeId; }},
    {"storeBook", ValueKind::Flag, [](const BookInput& in) { return Flag(markdown::IsStoreBook(in.volume)); }},
    {"bookFileName", ValueKind::Line, [](const BookInput& in) { return BookFileName(in.volume.volumeId); }},
    {"exportDate", ValueKind::Line, [](const BookInput& in) { return std::string(in.exportDate); }},
    {"bookmarkCount", ValueKind::Number,
     [](const BookInput& in) { return CountLive(in.volume, [](const AnnotatedBookmark&) { return true; }); }},
    {"highlightCount", ValueKind::Number,
     [](const BookInput& in) {
         return CountLive(in.volume, [](const AnnotatedBookmark& b) { return !markdown::IsBlank(b.text); });
     }},
    {"noteCount", ValueKind::Number,
     [](const BookInput& in) {
         return CountLive(in.volume, [](const AnnotatedBookmark& b) { return !markdown::IsBlank(b.annotation); });
     }},
    {"pageBookmarkCount", ValueKind::Number,
     [](const BookInput& in) {
         return CountLive(in.volume, [](const AnnotatedBookmark& b) { return b.type == "dogear"; });
     }},
    {"drawingCount", ValueKind::Number,
     [](const BookInput& in) {
         return CountLive(in.volume, [](const AnnotatedBookmark& b) { return b.type == "markup"; });
     }},
    {"deletedCount", ValueKind::Number,
     [](const BookInput& in) { return Count(in.volume, [](const AnnotatedBookmark& b) { return b.deleted; }); }},
    {"chapterCount", ValueKind::Number,
     [](const BookInput& in) {
         std::size_t chapters = 0;
         for (std::size_t i = 0; i < in.volume.bookmarks.size(); ++i)
             chapters += i == 0 || in.volume.bookmarks[i].part != in.volume.bookmarks[i - 1].part;
         return std::to_string(chapters);
     }},
}};

const std::array<TemplateVariable<HighlightInput>, 25> kHighlight = {{
    {"bookmarkId", ValueKind::Line, [](const HighlightInput& in) { return std::string(in.bookmark.bookmarkId); }},
    {"blockId", ValueKind::Markdown, [](const HighlightInput& in) { return BlockId(in.bookmark.bookmarkId); }},
    {"text", ValueKind::Text, [](const HighlightInput& in) { return std::string(in.bookmark.text); }},
    {"note", ValueKind::Text, [](const HighlightInput& in) { return std::string(in.bookmark.annotation); }},
    {"type", ValueKind::Line, [](const HighlightInput& in) { return std::string(in.bookmark.type); }},
    {"pageBookmark", ValueKind::Flag, [](const HighlightInput& in) { return Flag(in.bookmark.type == "dogear"); }},
    {"drawing", ValueKind::Flag, [](const HighlightInput& in) { return Flag(in.bookmark.type == "markup"); }},
    {"color", ValueKind::Line, [](const HighlightInput& in) { return std::string(in.bookmark.color); }},
    {"created", ValueKind::Line, [](const HighlightInput& in) { return RecordTime(in.bookmark.dateCreated); }},
    {"modified", ValueKind::Line, [](const HighlightInput& in) { return RecordTime(in.bookmark.dateModified); }},
    {"date", ValueKind::Line,
     [](const HighlightInput& in) {
         return RecordTime(in.bookmark.dateCreated.empty() ? in.bookmark.dateModified : in.bookmark.dateCreated);
     }},
    {"position", ValueKind::Number, [](const HighlightInput& in) { return in.volume.PositionText(in.bookmark); }},
    {"chapter", ValueKind::Line, [](const HighlightInput& in) { return in.volume.PartOf(in.bookmark).Heading(); }},
    {"chapterDepth", ValueKind::Number,
     [](const HighlightInput& in) { return std::to_string(in.volume.PartOf(in.bookmark).depth); }},
    {"headingMarks", ValueKind::Markdown,
     [](const HighlightInput& in) { return std::string(markdown::HeadingMarks(in.volume.PartOf(in.bookmark))); }},
    {"chapterAttribution", ValueKind::Text,
     [](const HighlightInput& in) {
         const PartFacts& part = in.volume.PartOf(in.bookmark);
         return part.found ? part.attribution : std::string();
     }},
    {"firstOfChapter", ValueKind::Flag, [](const HighlightInput& in) { return Flag(in.firstOfChapter); }},
    {"deleted", ValueKind::Flag, [](const HighlightInput& in) { return Flag(in.bookmark.deleted); }},
    {"gone", ValueKind::Flag, [](const HighlightInput& in) { return Flag(in.bookmark.gone); }},
    {"lastSeen", ValueKind::Line, [](const HighlightInput& in) { return RecordTime(in.bookmark.lastSeen); }},
    {"image", ValueKind::Markdown,
     [](const HighlightInput& in) {
         return in.bookmark.markupImageKind == MarkupImageKind::Rendered ? PercentEncodedPath(in.bookmark.markupImage)
                                                                         : std::string();
     }},
    {"imageMissing", ValueKind::Flag,
     [](const HighlightInput& in) { return Flag(in.bookmark.markupImageKind == MarkupImageKind::Missing); }},
    {"markupFile", ValueKind::Line,
     [](const HighlightInput& in) {
         return in.bookmark.markupImageKind == MarkupImageKind::Found ? std::string(in.bookmark.markupImage)
                                                                      : std::string();
     }},
    {"label", ValueKind::Line,
     [](const HighlightInput& in) { return markdown::BookmarkLabel(in.volume, in.bookmark); }},
    {"facts", ValueKind::Markdown,
     [](const HighlightInput& in) { return markdown::FactLine(in.volume, in.bookmark, in.colorsSayNothing); }},
}};

const std::array<TemplateVariable<ChapterInput>, 5> kChapter = {{
    {"chapter", ValueKind::Line, [](const ChapterInput& in) { return in.part.Heading(); }},
    {"chapterDepth", ValueKind::Number, [](const ChapterInput& in) { return std::to_string(in.part.depth); }},
    {"headingMarks", ValueKind::Markdown,
     [](const ChapterInput& in) { return std::string(markdown::HeadingMarks(in.part)); }},
    {"chapterAttribution", ValueKind::Text,
     [](const ChapterInput& in) { return in.part.found ? in.part.attribution : std::string(); }},
    {"chapterBookmarkCount", ValueKind::Number, [](const ChapterInput& in) { return std::to_string(in.bookmarks); }},
}};

const std::array<TemplateVariable<CollectionInput>, 2> kCollection = {{
    {"collection", ValueKind::Line, [](const CollectionInput& in) { return in.name; }},
    {"collectionTag", ValueKind::Line, [](const CollectionInput& in) { return NoteTag(in.name); }},
}};

template <class Input>
data ValuesOf(std::span<const TemplateVariable<Input>> variables, const Input& input, const TemplateNames& used) {
    data values(data::type::object);
    for (const TemplateVariable<Input>& variable : variables)
        if (used.contains(variable.name))
            values.set(std::string(variable.name), TemplateValue(variable.kind, variable.text(input)));
    return values;
}

// The lines of the text, each with its line end; the last one without, where the text has none.
template <class EachLine> std::string EachLineOf(std::string_view text, EachLine&& shape) {
    std::string out;
    for (std::size_t start = 0, index = 0; start < text.size(); ++index) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        shape(out, text.substr(start, end - start), index);
        if (end < text.size())
            out += '\n';
        start = end + 1;
    }
    return out;
}

std::string Quoted(std::string_view text) {
    return EachLineOf(text, [](std::string& out, std::string_view line, std::size_t) {
        out += line.empty() ? ">" : "> ";
        out += line;
    });
}

// Lines after the first stand under the first line's text: its leading white space, and two spaces more where a
// bullet ("- ", "* ", "+ ") follows it.
std::string Indented(std::string_view text) {
    const std::size_t content = std::min(text.find_first_not_of(" \t"), text.size());
    std::string indent(text.substr(0, content));
    const std::string_view rest = text.substr(content);
    if (rest.starts_with("- ") || rest.starts_with("* ") || rest.starts_with("+ "))
        indent += "  ";
    return EachLineOf(text, [&indent](std::string& out, std::string_view line, std::size_t index) {
        if (index > 0 && !line.empty())
            out += indent;
        out += line;
    });
}

data ChaptersOf(const AnnotatedVolume& volume, const TemplateNames& used) {
    data chapters(data::type::list);
    for (std::size_t first = 0; first < volume.bookmarks.size();) {
        std::size_t end = first + 1;
        while (end < volume.bookmarks.size() && volume.bookmarks[end].part == volume.bookmarks[first].part)
            ++end;
        chapters.push_back(
            ValuesOf<ChapterInput>(kChapter, {volume.PartOf(volume.bookmarks[first]), end - first}, used));
        first = end;
    }
    return chapters;
}

data CollectionsOf(const AnnotatedVolume& volume, const TemplateNames& used) {
    data collections(data::type::list);
    for (const std::string& name : volume.collections)
        collections.push_back(ValuesOf<CollectionInput>(kCollection, {name}, used));
    return collections;
}

} // namespace

std::span<const TemplateVariable<BookInput>> BookVariables() {
    return kBook;
}

std::span<const TemplateVariable<HighlightInput>> HighlightVariables() {
    return kHighlight;
}

std::span<const TemplateVariable<ChapterInput>> ChapterVariables() {
    return kChapter;
}

std::span<const TemplateVariable<CollectionInput>> CollectionVariables() {
    return kCollection;
}

kainjow::mustache::data BookData(const BookInput& input, const TemplateNames& used) {
    using namespace template_names;
    data values = ValuesOf<BookInput>(kBook, input, used);
    if (used.contains(std::string(kChapters)))
        values.set(std::string(kChapters), ChaptersOf(input.volume, used));
    if (used.contains(std::string(kCollections)))
        values.set(std::string(kCollections), CollectionsOf(input.volume, used));
    values.set(std::string(kQuote),
               kainjow::mustache::lambda2([](const std::string& text, const kainjow::mustache::renderer& render) {
                   return Quoted(render(text));
               }));
    values.set(std::string(kIndent),
               kainjow::mustache::lambda2([](const std::string& text, const kainjow::mustache::renderer& render) {
                   return Indented(render(text));
               }));
    return values;
}

kainjow::mustache::data HighlightData(const HighlightInput& input, const TemplateNames& used) {
    return ValuesOf<HighlightInput>(kHighlight, input, used);
}
