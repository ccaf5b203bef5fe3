#pragma once

#include <cmark.h>

#include <string>

// A parsed node's text as a reader sees it: line breaks as "\n", paragraphs (of a block quote, say) apart by an empty
// line.
inline std::string TextOf(cmark_node* node) {
    std::string text;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        const cmark_node_type type = cmark_node_get_type(child);
        if (type == CMARK_NODE_TEXT || type == CMARK_NODE_CODE || type == CMARK_NODE_HTML_INLINE)
            text += cmark_node_get_literal(child);
        else if (type == CMARK_NODE_SOFTBREAK || type == CMARK_NODE_LINEBREAK)
            text += "\n";
        else
            text += (type == CMARK_NODE_PARAGRAPH && !text.empty() ? "\n\n" : "") + TextOf(child);
    }
    return text;
}
