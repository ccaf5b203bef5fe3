#include "MarkdownMarkup.h"

#include "PercentEncodedPath.h"

void AppendMarkupPicture(std::string& out, const AnnotatedBookmark& drawing) {
    if (drawing.markupImageKind != MarkupImageKind::Rendered)
        return;
    out += "![Drawing](";
    out += PercentEncodedPath(drawing.markupImage);
    out += ")\n\n";
}

std::string MarkupLabel(const AnnotatedBookmark& drawing) {
    switch (drawing.markupImageKind) {
    case MarkupImageKind::Rendered:
        return "Drawing";
    case MarkupImageKind::Missing:
        return "Drawing (picture missing)";
    case MarkupImageKind::Found:
        break;
    }
    return drawing.markupImage.empty() ? "Drawing" : "Drawing: " + std::string(drawing.markupImage);
}
