#pragma once

#include "AnnotationSource.h"
#include "ExportOptions.h"

#include <filesystem>
#include <vector>

// After an export of every book as HTML pages: index.html in the results folder, linking the pages written, in the
// order of the list of books, each under its book's title and author. It replaces the index of an earlier export; a
// book's page that has that name keeps it, and the index takes the first free numbered name. Returns its path.
// Raises EFileError when it cannot be written.
std::filesystem::path WriteHtmlIndex(const AnnotationSource& library, const std::filesystem::path& resultsFolder,
                                     const ExportOptions& options, const std::vector<std::filesystem::path>& written);
