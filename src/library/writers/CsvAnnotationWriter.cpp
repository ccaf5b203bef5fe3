#include "CsvAnnotationWriter.h"

#include "EveryColorIsGrey.h"
#include "Isbn.h"
#include "RecordTime.h"

#include <string_view>

namespace {

constexpr std::string_view kHeader = "book_title,book_author,volume_id,chapter,bookmark_id,type,text,note,color,"
                                     "created,modified,position,deleted,image,isbn,identifier\r\n";

// Whether a spreadsheet would take the cell for a formula (it starts with "=", "+", "-", "@", a TAB or a CR), or the
// cell starts with the apostrophe that marks such cells: those get one apostrophe in front, so a spreadsheet shows
// the text, and a reader gets back the stored text by taking one leading apostrophe off any cell that has one.
bool NeedsApostrophe(std::string_view field) {
    return !field.empty() && std::string_view("=+-@\t\r'").find(field.front()) != std::string_view::npos;
}

// Quotes a field only where a reader would split, join or trim it otherwise; its bytes stay as they are but for the
// apostrophe in front of what a spreadsheet would evaluate.
void AppendField(std::string& bytes, std::string_view field) {
    const bool apostrophe = NeedsApostrophe(field);
    const bool quoted = field.find_first_of(",\"\r\n\t") != std::string_view::npos ||
                        (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quoted) {
        if (apostrophe)
            bytes += '\'';
        bytes += field;
        return;
    }
    bytes += apostrophe ? "\"'" : "\"";
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos; quote = field.find('"')) {
        bytes += field.substr(0, quote + 1);
        bytes += '"';
        field.remove_prefix(quote + 1);
    }
    bytes += field;
    bytes += '"';
}

} // namespace

void CsvAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    ChunkedBytes out(sink);
    std::string& bytes = out.Bytes();
    if (m_setBom)
        bytes += "\xEF\xBB\xBF";
    bytes += kHeader;
    const bool isbn = IsIsbn(volume.isbn);
    const bool colorsSayNothing = EveryColorIsGrey(volume);
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        out.Checkpoint();
        const std::string position = volume.PositionText(bookmark);
        const std::string created = RecordTime(bookmark.dateCreated), modified = RecordTime(bookmark.dateModified);
        // A written picture's path always holds a "/": "missing" names no file.
        const std::string_view image =
            bookmark.markupImageKind == MarkupImageKind::Missing ? std::string_view("missing") : bookmark.markupImage;
        const std::string_view fields[] = {volume.title,
                                           volume.author,
                                           volume.volumeId,
                                           volume.PartOf(bookmark).Heading(),
                                           bookmark.bookmarkId,
                                           bookmark.type,
                                           bookmark.text,
                                           bookmark.annotation,
                                           colorsSayNothing ? std::string_view() : bookmark.color,
                                           created,
                                           modified,
                                           position,
                                           bookmark.deleted ? "yes" : "",
                                           image,
                                           isbn ? volume.isbn : std::string_view(),
                                           isbn ? std::string_view() : volume.isbn};
        for (const std::string_view field : fields) {
            AppendField(bytes, field);
            bytes += ',';
        }
        bytes.back() = '\r';
        bytes += '\n';
    }
    out.Finish();
}
