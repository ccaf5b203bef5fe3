#pragma once

#include "AnnotationExport.h"

#include <QString>

#include <vector>

// The books an export could not write, for its message: one line a book with its reason, and books that failed for
// the same reason (their files aside) on one line, so that a cause that stopped every book is told once.
QString FailedBooksText(const std::vector<FailedExport>& failed);
