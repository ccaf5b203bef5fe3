#include "AnnotationWriter.h"

#include "CsvAnnotationWriter.h"
#include "ExportOptions.h"
#include "ReplaceFile.h"
#include "TextAnnotationWriter.h"

void AnnotationWriter::Write(const AnnotatedVolume& volume, const std::filesystem::path& file) const {
    ReplaceFile(file, {Render(volume)}, "");
}

std::unique_ptr<AnnotationWriter> MakeAnnotationWriter(const ExportOptions& options) {
    switch (options.format) {
    case ExportFormat::Text:
    case ExportFormat::Markdown:
    case ExportFormat::Json:
        break;
    case ExportFormat::Csv:
        return std::make_unique<CsvAnnotationWriter>(options.setBom);
    }
    return std::make_unique<TextAnnotationWriter>(options.separator, options.setBom);
}
