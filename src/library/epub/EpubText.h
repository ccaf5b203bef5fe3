#pragma once

#include <string>
#include <string_view>

// The readable text of one of a book's (X)HTML documents: its body's text without markup, entities decoded, each
// block (paragraph, heading, list item, line break) ending in a line break so that no sentence runs across two.
std::string EpubDocumentText(std::string_view markup);
