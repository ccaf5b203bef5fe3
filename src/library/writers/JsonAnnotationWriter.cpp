#include "JsonAnnotationWriter.h"

#include "JsonEscaped.h"

#include "EveryColorIsGrey.h"
#include "Isbn.h"
#include "MarkdownFrontMatter.h"
#include "RecordTime.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

// Members keep the order they are written in, so the book comes first and each record reads id first.
using Json = nlohmann::ordered_json;

// The values the schema's enums allow.
constexpr std::array<std::string_view, 4> kTypes = {"highlight", "note", "dogear", "markup"};
constexpr std::array<std::string_view, 5> kColors = {"yellow", "pink", "blue", "green", "grey"};
constexpr std::array<std::string_view, 3> kStatuses = {"unread", "reading", "finished"};
bool Among(const auto& names, std::string_view value) {
    return std::find(names.begin(), names.end(), value) != names.end();
}

void SetIfKnown(Json& object, const char* name, std::string_view value) {
    if (!value.empty())
        object[name] = value;
}

Json BookOf(const AnnotatedVolume& volume) {
    Json book;
    book["volumeId"] = volume.volumeId;
    SetIfKnown(book, "title", volume.title);
    SetIfKnown(book, "author", volume.author);
    SetIfKnown(book, "publisher", volume.publisher);
    SetIfKnown(book, IsIsbn(volume.isbn) ? "isbn" : "identifier", volume.isbn);
    SetIfKnown(book, "language", volume.language);
    if (const std::string_view status = markdown::ReadStatusName(volume.readStatus); Among(kStatuses, status))
        book["status"] = status;
    if (!volume.rating.empty())
        book["rating"] = volume.rating[0] - '0';
    if (!volume.collections.empty())
        book["collections"] = volume.collections;
    SetIfKnown(book, "cover", volume.cover);
    return book;
}

// A value as the JSON library dumps it; the database's texts are not always UTF-8, and an export never fails on that.
std::string Dumped(const Json& value, int indent = -1) {
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

// A string as the library dumps it: UTF-8 kept, quotes, backslashes and control characters escaped. Text that is not
// UTF-8 is left to the library, whose replacement of its bad bytes this does not repeat.
void AppendString(std::string& out, std::string_view text) {
    if (!IsValidUtf8(text)) {
        out += Dumped(Json(text));
        return;
    }
    AppendJsonEscaped(out, text);
}

// One record of the annotations array, at its depth, as the library would dump it in the whole document: members in
// the order a reader of the file meets them, id first. Written straight out: a big book has tens of thousands.
class RecordText {
public:
    explicit RecordText(std::string& out) : m_out(out) { m_out += "    {"; }
    ~RecordText() { m_out += "\n    }"; }
    RecordText(const RecordText&) = delete;
    RecordText& operator=(const RecordText&) = delete;

    void String(std::string_view name, std::string_view value) { AppendString(Member(name), value); }
    void StringIfKnown(std::string_view name, std::string_view value) {
        if (!value.empty())
            String(name, value);
    }
    void Value(std::string_view name, const Json& value) { Member(name) += Dumped(value); }

private:
    std::string& Member(std::string_view name) {
        m_out += m_first ? "\n      \"" : ",\n      \"";
        m_first = false;
        m_out += name;
        m_out += "\": ";
        return m_out;
    }
    std::string& m_out;
    bool m_first = true;
};

// A book read from one reader database alone says nothing of where each record came from, so those files stay as they
// always were; one read from other readers' files, or from several sources as one book, names each record's source.
bool NamesSources(const AnnotatedVolume& volume) {
    if (volume.sources.size() > 1)
        return true;
    return volume.sources.size() == 1 && (volume.sources.front().kind == SourceKind::KOReader ||
                                          volume.sources.front().kind == SourceKind::KindleClippings);
}

std::string_view SourceName(SourceKind kind) {
    switch (kind) {
    case SourceKind::ReaderDatabase:
        return "kobo";
    case SourceKind::Archive:
        return "archive";
    case SourceKind::KOReader:
        return "koreader";
    case SourceKind::KindleClippings:
        break;
    }
    return "kindle";
}

void AppendRecord(std::string& out, const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark,
                  bool colorsSayNothing, bool namesSources) {
    RecordText record(out);
    record.String("id", bookmark.bookmarkId);
    record.StringIfKnown("chapter", volume.PartOf(bookmark).Heading());
    // Older firmware stores no type; what it stores is a highlight. A type newer than these counts as one too.
    record.String("type", Among(kTypes, bookmark.type) ? std::string_view(bookmark.type) : "highlight");
    record.StringIfKnown("text", bookmark.text);
    record.StringIfKnown("note", bookmark.annotation);
    // A stored colour code that names no colour tells a reader of the file nothing, nor does grey where every
    // bookmark is grey (EveryColorIsGrey.h).
    if (!colorsSayNothing && Among(kColors, bookmark.color))
        record.String("color", bookmark.color);
    record.StringIfKnown("created", RecordTime(bookmark.dateCreated));
    record.StringIfKnown("modified", RecordTime(bookmark.dateModified));
    if (const std::optional<double> position = volume.PositionOf(bookmark))
        record.Value("position", std::round(*position * 10.0) / 10.0);
    if (bookmark.deleted)
        record.Value("deleted", true);
    // Read from the archive: the reader it came from has lost it since.
    if (bookmark.gone) {
        record.Value("gone", true);
        record.StringIfKnown("lastSeen", RecordTime(bookmark.lastSeen));
    }
    record.StringIfKnown("image", bookmark.markupImage);
    if (bookmark.markupImageKind == MarkupImageKind::Missing)
        record.Value("imageMissing", true);
    if (namesSources && bookmark.source < volume.sources.size()) {
        const SourceFacts& source = volume.sources[bookmark.source];
        record.String("source", SourceName(source.kind));
        record.StringIfKnown("sourcePath", source.path.string());
    }
}

} // namespace

JsonAnnotationWriter::JsonAnnotationWriter(std::string exported) : m_exported(std::move(exported)) {}

void JsonAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    Json document;
    document["book"] = BookOf(volume);
    document["exported"] = m_exported;
    document["annotations"] = Json::array();
    ChunkedBytes out(sink);
    std::string& bytes = out.Bytes();
    bytes = Dumped(document, 2);
    if (volume.bookmarks.empty()) {
        bytes += '\n';
        out.Finish();
        return;
    }
    // The records go into the array's place one by one, as the whole document would dump them, rather than held all
    // at once.
    const std::string_view emptyArray = "[]\n}";
    bytes.resize(bytes.size() - emptyArray.size());
    bytes += "[\n";
    const bool colorsSayNothing = EveryColorIsGrey(volume);
    const bool namesSources = NamesSources(volume);
    for (std::size_t i = 0; i < volume.bookmarks.size(); ++i) {
        out.Checkpoint();
        if (i > 0)
            bytes += ",\n";
        AppendRecord(bytes, volume, volume.bookmarks[i], colorsSayNothing, namesSources);
    }
    bytes += "\n  ]\n}\n";
    out.Finish();
}
