#include "ReadwiseAnnotationWriter.h"

#include "CsvField.h"
#include "MarkdownText.h"
#include "RecordTime.h"

namespace {

constexpr std::string_view kHeader = "Highlight,Title,Author,URL,Note,Location,Date\r\n";

} // namespace

std::string ReadwiseDate(std::string_view stored) {
    // RecordTime gives "2024-11-18T17:45:50.886Z" for every shape it knows, and the value as stored for any other.
    std::string time = RecordTime(stored);
    if (time.size() != 24 || time[10] != 'T' || time.back() != 'Z')
        return {};
    time[10] = ' ';
    time.resize(19);
    return time;
}

void ReadwiseAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    ChunkedBytes out(sink);
    std::string& bytes = out.Bytes();
    bytes += kHeader;
    // Readwise files highlights under their book's title: a book without one goes under its file's name.
    const std::string title = volume.title.empty() ? BookFileName(volume.volumeId) : volume.title;
    std::size_t location = 0;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        if (bookmark.deleted || markdown::IsBlank(bookmark.text))
            continue;
        out.Checkpoint();
        const std::string number = std::to_string(++location);
        const std::string date =
            ReadwiseDate(bookmark.dateCreated.empty() ? bookmark.dateModified : bookmark.dateCreated);
        const std::string_view fields[] = {bookmark.text, title, volume.author, {}, bookmark.annotation, number, date};
        for (const std::string_view field : fields) {
            AppendExactCsvField(bytes, field);
            bytes += ',';
        }
        bytes.back() = '\r';
        bytes += '\n';
    }
    out.Finish();
}
