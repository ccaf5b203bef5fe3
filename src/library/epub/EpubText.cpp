#include "EpubText.h"

#include "XmlTree.h"

#include <libxml/tree.h>

#include <algorithm>
#include <array>

namespace {

bool EndsBlock(std::string_view name) {
    static constexpr std::array<std::string_view, 16> kBlocks = {
        "p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "li", "br", "blockquote", "tr", "td", "dt", "dd", "section"};
    return std::ranges::find(kBlocks, name) != kBlocks.end();
}

bool Unread(std::string_view name) {
    return name == "head" || name == "script" || name == "style";
}

void AppendText(xmlNode* node, std::string& text) {
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            // The markup's own line breaks are spaces: only a block ends a line.
            for (const char* c = reinterpret_cast<const char*>(child->content); c && *c; ++c)
                text += *c == '\n' || *c == '\r' || *c == '\t' ? ' ' : *c;
        } else if (IsElement(child) && !Unread(LocalName(child))) {
            AppendText(child, text);
            if (EndsBlock(LocalName(child)))
                text += '\n';
        }
    }
}

} // namespace

std::string EpubDocumentText(std::string_view markup) {
    const XmlTree tree = XmlTree::FromHtml(markup);
    std::string text;
    AppendText(tree.Root(), text);
    return text;
}
