#include "AnnotationWriter.h"

#include "ExportOptions.h"
#include "JsonAnnotationWriter.h"
#include "ReplaceFile.h"
#include "TextAnnotationWriter.h"

void AnnotationWriter::Write(const AnnotatedVolume& volume, const std::filesystem::path& file) const {
    ReplaceFile(file, {Render(volume)}, "");
}

std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options) {
    switch (options.format) {
    case ExportFormat::Json:
        return std::make_unique<JsonAnnotationWriter>();
    case ExportFormat::Text:
    case ExportFormat::Markdown:
    case ExportFormat::Csv:
        break;
    }
    return std::make_unique<TextAnnotationWriter>(options.separator, options.setBom);
}
