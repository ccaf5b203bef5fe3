#pragma once

#include "AnnotationExport.h"

#include <optional>
#include <string>

// The bytes an export of the volume writes, as a pipe takes them; nothing when the source's file is gone.
inline std::optional<std::string> RenderAnnotations(const AnnotationSource& source, const std::string& volumeId,
                                                    const ExportOptions& options, ProgressReporter& progress) {
    StringSink bytes;
    if (!WriteAnnotations(source, volumeId, options, bytes, progress))
        return std::nullopt;
    return std::move(bytes.Bytes());
}
