#include "AnnotationWriter.h"

#include "CsvAnnotationWriter.h"
#include "ExportOptions.h"
#include "JsonAnnotationWriter.h"
#include "MarkdownAnnotationWriter.h"
#include "TextAnnotationWriter.h"

#include <ctime>

std::string TodayLocalDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16];
    return std::string(date, std::strftime(date, sizeof date, "%Y-%m-%d", &local));
}

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
