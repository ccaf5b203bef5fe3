#include "CsvAnnotationWriter.h"

#include "CsvField.h"
#include "EveryColorIsGrey.h"
#include "Isbn.h"
#include "RecordTime.h"

#include <string_view>

namespace {

constexpr std::string_view kHeader = "book_title,book_author,volume_id,chapter,bookmark_id,type,text,note,color,"
                                     "created,modified,position,deleted,image,isbn,identifier\r\n";

} // namespace

void CsvAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    ChunkedBytes out(sink);
    std::string& bytes = out.Bytes();
    if (m_setBom)
        bytes += "\xEF\xBB\xBF";
    bytes += kHeader;
    // Read from the archive, each row also tells whether the reader has lost it since, and when it last showed it.
    if (volume.fromArchive)
        bytes.insert(bytes.size() - 2, ",gone,last_seen");
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
            AppendCsvField(bytes, field);
            bytes += ',';
        }
        if (volume.fromArchive) {
            AppendCsvField(bytes, bookmark.gone ? "yes" : "");
            bytes += ',';
            AppendCsvField(bytes, bookmark.gone ? RecordTime(bookmark.lastSeen) : std::string());
            bytes += ',';
        }
        bytes.back() = '\r';
        bytes += '\n';
    }
    out.Finish();
}
