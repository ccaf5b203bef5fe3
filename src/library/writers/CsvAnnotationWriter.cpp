#include "CsvAnnotationWriter.h"

#include <charconv>
#include <string_view>

namespace {

constexpr std::string_view kHeader = "book_title,book_author,volume_id,chapter,bookmark_id,type,text,note,color,"
                                     "created,modified,position,deleted,image\r\n";

// Quotes a field only where a reader would split, join or trim it otherwise; its bytes stay as they are, so a reader
// gets back exactly the stored text (texts starting with "=" too: they are the reader's, not formulas).
void AppendField(std::string& bytes, std::string_view field) {
    const bool quoted = field.find_first_of(",\"\r\n\t") != std::string_view::npos ||
                        (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quoted) {
        bytes += field;
        return;
    }
    bytes += '"';
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
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        out.Checkpoint();
        const std::string position = volume.PositionText(bookmark);
        const std::string_view fields[] = {volume.title,
                                           volume.author,
                                           volume.volumeId,
                                           volume.PartOf(bookmark).Heading(),
                                           bookmark.bookmarkId,
                                           bookmark.type,
                                           bookmark.text,
                                           bookmark.annotation,
                                           bookmark.color,
                                           bookmark.dateCreated,
                                           bookmark.dateModified,
                                           position,
                                           bookmark.deleted ? "yes" : "",
                                           bookmark.markupImage};
        for (const std::string_view field : fields) {
            AppendField(bytes, field);
            bytes += ',';
        }
        bytes.back() = '\r';
        bytes += '\n';
    }
    out.Finish();
}
