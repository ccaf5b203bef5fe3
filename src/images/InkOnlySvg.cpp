#include "InkOnlySvg.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <array>

namespace {

// The elements that draw ink or shape it; any other is left out with all it holds.
constexpr std::array kInkElements = {
    "svg",  "g",    "defs",   "title",   "desc",           "path",           "polyline", "polygon",
    "line", "rect", "circle", "ellipse", "linearGradient", "radialGradient", "stop",     "clipPath",
};

bool IsInkElement(QStringView name) {
    for (const char* ink : kInkElements)
        if (name == QLatin1StringView(ink))
            return true;
    return false;
}

// A value that points outside the file: url(...) other than to an element of its own ("url(#id)").
bool PointsOutside(QStringView value) {
    for (qsizetype at = value.indexOf(u"url(", 0, Qt::CaseInsensitive); at >= 0;
         at = value.indexOf(u"url(", at + 4, Qt::CaseInsensitive)) {
        const QStringView target = value.mid(at + 4).trimmed();
        if (!target.startsWith(u'#') && !target.startsWith(u"'#") && !target.startsWith(u"\"#"))
            return true;
    }
    return false;
}

bool KeepsAttribute(const QXmlStreamAttribute& attribute) {
    // href names another file or place (xlink's or SVG 2's); the elements kept need none.
    return attribute.name() != u"href" && !PointsOutside(attribute.value());
}

} // namespace

std::optional<QByteArray> InkOnlySvg(const QByteArray& svg) {
    QXmlStreamReader reader(svg);
    QByteArray kept;
    QXmlStreamWriter writer(&kept);
    int skipping = 0; // depth within an element left out
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (skipping > 0 || !IsInkElement(reader.name())) {
                ++skipping;
                break;
            }
            // Declared before the element, they apply to it (the writer would make up prefixes otherwise).
            for (const QXmlStreamNamespaceDeclaration& declared : reader.namespaceDeclarations()) {
                if (declared.prefix().isEmpty())
                    writer.writeDefaultNamespace(declared.namespaceUri().toString());
                else
                    writer.writeNamespace(declared.namespaceUri().toString(), declared.prefix().toString());
            }
            writer.writeStartElement(reader.namespaceUri().toString(), reader.name().toString());
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                if (KeepsAttribute(attribute))
                    writer.writeAttribute(attribute);
            break;
        case QXmlStreamReader::EndElement:
            if (skipping > 0)
                --skipping;
            else
                writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            // Text of a title or a description; the text of the ink elements is only white space.
            if (skipping == 0)
                writer.writeCharacters(reader.text().toString());
            break;
        default:
            break; // the document type, processing instructions, comments, entities that are not resolved
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return kept;
}
