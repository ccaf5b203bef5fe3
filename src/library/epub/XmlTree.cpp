#include "XmlTree.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>

namespace {

int ClampedSize(std::string_view bytes) {
    return bytes.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes.size());
}

} // namespace

void XmlTree::Freer::operator()(_xmlDoc* document) const {
    xmlFreeDoc(document);
}

XmlTree XmlTree::FromXml(std::string_view bytes) {
    XmlTree tree;
    tree.m_document.reset(xmlReadMemory(bytes.data(), ClampedSize(bytes), nullptr, nullptr,
                                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    return tree;
}

XmlTree XmlTree::FromHtml(std::string_view bytes) {
    XmlTree tree;
    tree.m_document.reset(htmlReadMemory(bytes.data(), ClampedSize(bytes), nullptr, "UTF-8",
                                         HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                             HTML_PARSE_RECOVER | HTML_PARSE_NOBLANKS));
    return tree;
}

_xmlNode* XmlTree::Root() const {
    return m_document ? xmlDocGetRootElement(m_document.get()) : nullptr;
}

std::string_view LocalName(const _xmlNode* node) {
    return node && node->name ? std::string_view(reinterpret_cast<const char*>(node->name)) : std::string_view();
}

std::string Attribute(_xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

bool IsElement(const _xmlNode* node) {
    return node && node->type == XML_ELEMENT_NODE;
}
