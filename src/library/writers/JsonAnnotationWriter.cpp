#include "JsonAnnotationWriter.h"

#include "EveryColorIsGrey.h"
#include "Isbn.h"
#include "RecordTime.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

// Members keep the order they are written in, so the book comes first and each record reads id first.
using Json = nlohmann::ordered_json;

// The values the schema's enums allow.
constexpr std::array<std::string_view, 4> kTypes = {"highlight", "note", "dogear", "markup"};
constexpr std::array<std::string_view, 5> kColors = {"yellow", "pink", "blue", "green", "grey"};
// A record's members at most: id, chapter, type, text, note, color, created, modified, position, deleted, image,
// imageMissing.
constexpr std::size_t kRecordMembers = 12;

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
    return book;
}

Json RecordOf(const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark, bool colorsSayNothing) {
    Json record = Json::object();
    // Room for every member at once: a big book has tens of thousands of records.
    record.get_ref<Json::object_t&>().reserve(kRecordMembers);
    record["id"] = bookmark.bookmarkId;
    SetIfKnown(record, "chapter", volume.PartOf(bookmark).Heading());
    // Older firmware stores no type; what it stores is a highlight. A type newer than these counts as one too.
    record["type"] = Among(kTypes, bookmark.type) ? bookmark.type : std::string_view("highlight");
    SetIfKnown(record, "text", bookmark.text);
    SetIfKnown(record, "note", bookmark.annotation);
    // A stored colour code that names no colour tells a reader of the file nothing, nor does grey where every
    // bookmark is grey (EveryColorIsGrey.h).
    if (!colorsSayNothing && Among(kColors, bookmark.color))
        record["color"] = bookmark.color;
    SetIfKnown(record, "created", RecordTime(bookmark.dateCreated));
    SetIfKnown(record, "modified", RecordTime(bookmark.dateModified));
    if (const std::optional<double> position = volume.PositionOf(bookmark))
        record["position"] = std::round(*position * 10.0) / 10.0;
    if (bookmark.deleted)
        record["deleted"] = true;
    SetIfKnown(record, "image", bookmark.markupImage);
    if (bookmark.markupImageKind == MarkupImageKind::Missing)
        record["imageMissing"] = true;
    return record;
}

} // namespace

JsonAnnotationWriter::JsonAnnotationWriter(std::string exported) : m_exported(std::move(exported)) {}

void JsonAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    // The database's texts are not always UTF-8; an export never fails on that.
    const auto dump = [](const Json& value) { return value.dump(2, ' ', false, Json::error_handler_t::replace); };
    Json document;
    document["book"] = BookOf(volume);
    document["exported"] = m_exported;
    document["annotations"] = Json::array();
    ChunkedBytes out(sink);
    std::string& bytes = out.Bytes();
    bytes = dump(document);
    if (volume.bookmarks.empty()) {
        bytes += '\n';
        out.Finish();
        return;
    }
    // The records are dumped one by one into the array's place, as the whole document would dump them, rather than
    // held all at once. Line breaks in a dump are its layout only (texts have theirs escaped), so each record line is
    // indented to the array's depth.
    const std::string_view emptyArray = "[]\n}";
    bytes.resize(bytes.size() - emptyArray.size());
    bytes += "[\n";
    const bool colorsSayNothing = EveryColorIsGrey(volume);
    for (std::size_t i = 0; i < volume.bookmarks.size(); ++i) {
        out.Checkpoint();
        const std::string record = dump(RecordOf(volume, volume.bookmarks[i], colorsSayNothing));
        bytes += i == 0 ? "    " : ",\n    ";
        // Each of its lines after a line break, indented.
        for (std::size_t from = 0; from < record.size();) {
            const std::size_t end = std::min(record.find('\n', from), record.size() - 1) + 1;
            bytes.append(record, from, end - from);
            if (record[end - 1] == '\n')
                bytes += "    ";
            from = end;
        }
    }
    bytes += "\n  ]\n}\n";
    out.Finish();
}
