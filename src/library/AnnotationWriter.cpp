#include "AnnotationWriter.h"

#include "CsvAnnotationWriter.h"
#include "ExportOptions.h"
#include "JsonAnnotationWriter.h"
#include "MarkdownAnnotationWriter.h"
#include "TextAnnotationWriter.h"

std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options) {
    switch (options.format) {
    case ExportFormat::Markdown:
        return std::make_unique<MarkdownAnnotationWriter>();
    case ExportFormat::Json:
        return std::make_unique<JsonAnnotationWriter>();
    case ExportFormat::Csv:
        return std::make_unique<CsvAnnotationWriter>(options.setBom);
    case ExportFormat::Text:
        break;
    }
    return std::make_unique<TextAnnotationWriter>(options.separator, options.setBom);
}
