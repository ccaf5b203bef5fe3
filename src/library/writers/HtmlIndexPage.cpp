#include "HtmlIndexPage.h"

#include "HtmlPage.h"
#include "HtmlText.h"
#include "MarkdownText.h"
#include "PercentEncodedPath.h"

std::string HtmlIndexPage(std::span<const HtmlIndexEntry> books, std::string_view exportDate) {
    std::string out = html::PageStart("Highlights and notes");
    out += "<header>\n<h1>Highlights and notes</h1>\n<p class=\"exported\">";
    out += std::to_string(books.size());
    out += books.size() == 1 ? " book" : " books";
    out += " \xC2\xB7 Exported ";
    html::AppendEscaped(out, exportDate);
    out += "</p>\n</header>\n<main>\n<ul class=\"books\">\n";
    for (const HtmlIndexEntry& book : books) {
        out += "<li><a href=\"";
        out += PercentEncodedPath(book.fileName);
        out += "\">";
        html::AppendEscaped(out, markdown::IsBlank(book.title) ? book.fileName : book.title);
        out += "</a>";
        if (!markdown::IsBlank(book.author)) {
            out += " \xE2\x80\x94 "; // an em dash
            html::AppendEscaped(out, book.author);
        }
        out += "</li>\n";
    }
    out += "</ul>\n</main>\n";
    out += html::PageEnd();
    return out;
}
