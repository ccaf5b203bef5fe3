#include "AnnotationWriter.h"

#include "ExportOptions.h"
#include "TextAnnotationWriter.h"

std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options) {
    switch (options.format) {
    case ExportFormat::Text:
    case ExportFormat::Markdown:
    case ExportFormat::Json:
    case ExportFormat::Csv:
        break;
    }
    return std::make_unique<TextAnnotationWriter>(options.separator, options.setBom);
}
