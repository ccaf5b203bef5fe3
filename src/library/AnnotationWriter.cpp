#include "AnnotationWriter.h"

#include "ExportOptions.h"
#include "MarkdownAnnotationWriter.h"
#include "ReplaceFile.h"
#include "TextAnnotationWriter.h"

void AnnotationWriter::Write(const AnnotatedVolume& volume, const std::filesystem::path& file) const {
    ReplaceFile(file, {Render(volume)}, "");
}

std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options) {
    switch (options.format) {
    case ExportFormat::Markdown:
        return std::make_unique<MarkdownAnnotationWriter>();
    case ExportFormat::Text:
    case ExportFormat::Json:
    case ExportFormat::Csv:
        break;
    }
    return std::make_unique<TextAnnotationWriter>(options.separator, options.setBom);
}
