#include "TextAnnotationWriter.h"

#include <string_view>

TMyStringList TextAnnotationWriter::Lines(const AnnotatedVolume& volume) const {
    std::vector<std::string> lines;
    lines.reserve(2 + volume.bookmarks.size() * 2);
    lines.push_back(">>>Title: " + volume.title);
    lines.push_back(">>>Author: " + volume.author);
    // Section lines come wherever the part changes byte for byte, also when the order returns to a part.
    std::string_view remembered;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        const PartFacts& part = volume.PartOf(bookmark);
        if (part.contentId != remembered) {
            remembered = part.contentId;
            if (part.found) {
                lines.push_back(">>>SECTION: " + part.title);
                if (!part.attribution.empty())
                    lines.push_back(">>>AUTHOR: " + part.attribution);
            } else {
                lines.push_back(">>>SECTION:" + part.contentId);
            }
        }
        std::string line;
        line.reserve(bookmark.text.size() + m_separator.size() + bookmark.annotation.size());
        line += bookmark.text;
        line += m_separator;
        line += bookmark.annotation;
        lines.push_back(std::move(line));
    }
    if (m_setBom)
        lines.front().insert(0, "\xEF\xBB\xBF");
    return TMyStringList(std::move(lines));
}
