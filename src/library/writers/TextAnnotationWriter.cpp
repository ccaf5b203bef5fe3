#include "TextAnnotationWriter.h"

#include "TMyStringList.h"

#include <string_view>

namespace {

// The file's lines, handed on to the sink a few thousand at a time.
class FileLines {
public:
    explicit FileLines(ByteSink& sink) : m_sink(sink) {}

    void Add(std::initializer_list<std::string_view> pieces) {
        m_lines.Add(pieces);
        if (m_lines.Count() == kLinesAtOnce)
            Finish();
    }
    void Finish() {
        m_sink.Take(m_lines.Text());
        m_lines.Clear();
    }

private:
    static constexpr std::size_t kLinesAtOnce = 4096;
    ByteSink& m_sink;
    TMyStringList m_lines;
};

} // namespace

void TextAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    FileLines lines(sink);
    lines.Add({m_setBom ? "\xEF\xBB\xBF>>>Title: " : ">>>Title: ", volume.title});
    lines.Add({">>>Author: ", volume.author});
    // Section lines come wherever the part changes byte for byte, also when the order returns to a part.
    std::string_view remembered;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        const PartFacts& part = volume.PartOf(bookmark);
        if (part.contentId != remembered) {
            remembered = part.contentId;
            if (part.found) {
                lines.Add({">>>SECTION: ", part.title});
                if (!part.attribution.empty())
                    lines.Add({">>>AUTHOR: ", part.attribution});
            } else {
                lines.Add({">>>SECTION:", part.contentId});
            }
        }
        lines.Add({bookmark.text, m_separator, bookmark.annotation});
    }
    lines.Finish();
}
