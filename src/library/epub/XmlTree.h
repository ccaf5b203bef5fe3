#pragma once

#include <memory>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlNode;

// A parsed XML or HTML document (libxml2), freed with its owner. Parsed without the network and without expanding
// entities, so a book's markup reads nothing outside the book and cannot blow up in memory.
class XmlTree {
public:
    static XmlTree FromXml(std::string_view bytes);
    // Lenient: markup of any quality reads, as a browser would read it.
    static XmlTree FromHtml(std::string_view bytes);

    bool Parsed() const { return m_document != nullptr; }
    _xmlNode* Root() const;

private:
    struct Freer {
        void operator()(_xmlDoc* document) const;
    };
    std::unique_ptr<_xmlDoc, Freer> m_document;
};

// The element's name without its namespace prefix, the attribute's value (empty where it has none).
std::string_view LocalName(const _xmlNode* node);
std::string Attribute(_xmlNode* node, const char* name);
bool IsElement(const _xmlNode* node);
