#include "ExportFormats.h"

#include "ClippingsAnnotationWriter.h"
#include "CsvAnnotationWriter.h"
#include "HtmlAnnotationWriter.h"
#include "JsonAnnotationWriter.h"
#include "MarkdownAnnotationWriter.h"
#include "ReadwiseAnnotationWriter.h"
#include "TextAnnotationWriter.h"

#include <array>

namespace {

// The settings of earlier versions hold a format as its place in this list: the legacy indexes must never change.
// Formats added since have none.
const std::array<ExportFormatRow, 7> kFormats = {{
    {ExportFormat::Text, "text", "text", ".txt", false, false, false, 0, false, "",
     [](const WriterSettings& settings) -> std::unique_ptr<AnnotationWriter> {
         return std::make_unique<TextAnnotationWriter>(settings.separator, settings.setBom);
     }},
    {ExportFormat::Markdown, "markdown", "Markdown", ".md", true, true, true, 1, true, "",
     [](const WriterSettings&) -> std::unique_ptr<AnnotationWriter> {
         return std::make_unique<MarkdownAnnotationWriter>();
     }},
    {ExportFormat::Json, "json", "JSON", ".json", true, true, true, 2, false, "",
     [](const WriterSettings&) -> std::unique_ptr<AnnotationWriter> {
         return std::make_unique<JsonAnnotationWriter>();
     }},
    {ExportFormat::Csv, "csv", "CSV", ".csv", true, true, true, 3, false, "",
     [](const WriterSettings& settings) -> std::unique_ptr<AnnotationWriter> {
         return std::make_unique<CsvAnnotationWriter>(settings.setBom);
     }},
    {ExportFormat::Readwise, "readwise", "Readwise CSV", ".readwise.csv", true, true, false, -1, false, "",
     [](const WriterSettings&) -> std::unique_ptr<AnnotationWriter> {
         return std::make_unique<ReadwiseAnnotationWriter>();
     }},
    {ExportFormat::Html, "html", "HTML page", ".html", true, true, false, -1, false, "",
     [](const WriterSettings&) -> std::unique_ptr<AnnotationWriter> {
         return std::make_unique<HtmlAnnotationWriter>();
     }},
    {ExportFormat::Clippings, "clippings", "Kindle clippings", ".txt", false, true, false, -1, false,
     "My Clippings.txt",
     [](const WriterSettings& settings) -> std::unique_ptr<AnnotationWriter> {
         return std::make_unique<ClippingsAnnotationWriter>(settings.setBom);
     }},
}};

} // namespace

std::span<const ExportFormatRow> ExportFormats() {
    return kFormats;
}

const ExportFormatRow& FormatRow(ExportFormat format) {
    for (const ExportFormatRow& row : kFormats)
        if (row.format == format)
            return row;
    return kFormats.front();
}

const ExportFormatRow& TemplatesFormatRow() {
    for (const ExportFormatRow& row : kFormats)
        if (row.rendersTemplates)
            return row;
    return kFormats.front();
}

const ExportFormatRow* FindExportFormat(std::string_view name) {
    for (const ExportFormatRow& row : kFormats)
        if (row.name == name)
            return &row;
    return nullptr;
}

const ExportFormatRow* FindExportFormatByLegacyIndex(int index) {
    if (index < 0)
        return nullptr;
    for (const ExportFormatRow& row : kFormats)
        if (row.legacySettingsIndex == index)
            return &row;
    return nullptr;
}

std::string ExportFormatNames(std::string_view lastJoint) {
    std::string names;
    for (std::size_t i = 0; i < kFormats.size(); ++i) {
        if (i > 0)
            names += i + 1 == kFormats.size() ? lastJoint : std::string_view(", ");
        names += kFormats[i].name;
    }
    return names;
}
