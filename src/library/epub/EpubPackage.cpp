#include "EpubPackage.h"

#include "EEpubError.h"
#include "EntryPath.h"
#include "XmlTree.h"

#include <libxml/tree.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

namespace {

struct ManifestItem {
    std::string href;
    std::string mediaType;
    std::string properties;
};

// Calls visit on every element below node, in document order.
void ForEachElement(xmlNode* node, const std::function<void(xmlNode*)>& visit) {
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next) {
        if (!IsElement(child))
            continue;
        visit(child);
        ForEachElement(child, visit);
    }
}

bool HasWord(const std::string& words, std::string_view word) {
    std::istringstream list(words);
    std::string one;
    while (list >> one)
        if (one == word)
            return true;
    return false;
}

std::string PackageEntry(const EpubArchive& book) {
    const XmlTree container = XmlTree::FromXml(book.Read("META-INF/container.xml"));
    std::string path;
    ForEachElement(container.Root(), [&path](xmlNode* element) {
        if (path.empty() && LocalName(element) == "rootfile")
            path = Attribute(element, "full-path");
    });
    if (path.empty())
        throw EEpubError("the book " + book.File().string() + " names no package in META-INF/container.xml");
    return path;
}

// The entry of a link from the package, refused where it leaves the book.
std::string Linked(const EpubArchive& book, const std::string& from, const std::string& href) {
    std::optional<std::string> entry = EntryPath(from, href);
    if (!entry)
        throw EEpubError("the book " + book.File().string() + " links " + href + ", outside the book; it is not read");
    return *entry;
}

// A guide's cover is often a page that shows the picture: its first image.
std::optional<std::string> PictureOfPage(const EpubArchive& book, const std::string& page) {
    const XmlTree tree = XmlTree::FromHtml(book.Read(page));
    std::string href;
    ForEachElement(tree.Root(), [&href](xmlNode* element) {
        if (!href.empty())
            return;
        if (LocalName(element) == "img")
            href = Attribute(element, "src");
        else if (LocalName(element) == "image") // SVG's, read by the HTML parser without namespaces
            href = Attribute(element, "xlink:href").empty() ? Attribute(element, "href")
                                                            : Attribute(element, "xlink:href");
    });
    if (href.empty())
        return std::nullopt;
    return Linked(book, page, href);
}

} // namespace

EpubPackage ReadEpubPackage(const EpubArchive& book) {
    EpubPackage package;
    package.packageEntry = PackageEntry(book);
    const XmlTree tree = XmlTree::FromXml(book.Read(package.packageEntry));
    if (!tree.Parsed())
        throw EEpubError("the package " + package.packageEntry + " of the book " + book.File().string() + " is no XML");
    std::map<std::string, ManifestItem, std::less<>> manifest;
    std::vector<std::string> spineIds;
    std::string coverMeta, coverImageItem, guideCover;
    ForEachElement(tree.Root(), [&](xmlNode* element) {
        const std::string_view name = LocalName(element);
        if (name == "item") {
            const std::string id = Attribute(element, "id");
            ManifestItem item{Attribute(element, "href"), Attribute(element, "media-type"),
                              Attribute(element, "properties")};
            if (coverImageItem.empty() && HasWord(item.properties, "cover-image"))
                coverImageItem = id;
            manifest.emplace(id, std::move(item));
        } else if (name == "itemref") {
            spineIds.push_back(Attribute(element, "idref"));
        } else if (name == "meta" && Attribute(element, "name") == "cover" && coverMeta.empty()) {
            coverMeta = Attribute(element, "content");
        } else if (name == "reference" && Attribute(element, "type") == "cover" && guideCover.empty()) {
            guideCover = Attribute(element, "href");
        }
    });
    for (const std::string& id : spineIds) {
        const auto item = manifest.find(id);
        if (item != manifest.end())
            if (std::optional<std::string> entry = EntryPath(package.packageEntry, item->second.href))
                package.spine.push_back(*entry);
    }
    const auto hrefOf = [&manifest](const std::string& id) {
        const auto item = manifest.find(id);
        return item == manifest.end() ? std::string() : item->second.href;
    };
    std::string coverHref;
    if (!coverImageItem.empty())
        coverHref = hrefOf(coverImageItem);
    else if (!coverMeta.empty()) // some tools write the picture's path where its manifest id belongs
        coverHref = manifest.contains(coverMeta) ? hrefOf(coverMeta) : coverMeta;
    if (!coverHref.empty()) {
        package.cover = Linked(book, package.packageEntry, coverHref);
    } else if (!guideCover.empty()) {
        const std::string page = Linked(book, package.packageEntry, guideCover);
        const bool picture = std::ranges::any_of(manifest, [&](const auto& item) {
            return item.second.mediaType.starts_with("image/") &&
                   EntryPath(package.packageEntry, item.second.href) == page;
        });
        package.cover = picture ? std::optional<std::string>(page) : PictureOfPage(book, page);
    }
    return package;
}
