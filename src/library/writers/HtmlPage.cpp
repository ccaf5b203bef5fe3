#include "HtmlPage.h"

#include "HtmlText.h"

namespace {

// Highlights as the reader shows them, with their colour at their side; notes under them; each bookmark kept on one
// page when printed.
constexpr std::string_view kStyle = R"(<style>
:root { color-scheme: light; }
body { font: 17px/1.5 Georgia, "Times New Roman", serif; color: #222; background: #fff; max-width: 46em;
  margin: 2em auto; padding: 0 1em; }
header { border-bottom: 1px solid #ccc; margin-bottom: 1.5em; }
h1 { font-size: 1.8em; margin: 0 0 0.2em; }
h2, h3, h4, h5, h6 { font-family: Helvetica, Arial, sans-serif; margin: 1.6em 0 0.6em; color: #444; }
.author { font-size: 1.15em; margin: 0 0 0.4em; }
.facts, .meta, .exported { font: 0.8em/1.4 Helvetica, Arial, sans-serif; color: #666; }
article { margin: 0 0 1.4em; break-inside: avoid; page-break-inside: avoid; }
blockquote { margin: 0; padding: 0.3em 0.9em; border-left: 0.35em solid #bbb; background: #f6f6f6; }
.yellow blockquote { border-left-color: #e8c400; background: #fff8cc; }
.pink blockquote { border-left-color: #e0569a; background: #fde4f0; }
.blue blockquote { border-left-color: #3b82d6; background: #e2eefb; }
.green blockquote { border-left-color: #3aa655; background: #e3f5e7; }
.grey blockquote { border-left-color: #888; background: #eee; }
.note { margin: 0.4em 0 0 1.2em; font-style: italic; }
.note::before { content: "Note: "; font-style: normal; font-weight: bold; }
.meta { margin: 0.3em 0 0; }
.deleted { opacity: 0.6; }
ul.books { padding-left: 1.2em; }
ul.books li { margin: 0.3em 0; }
@media print {
  body { max-width: none; margin: 0; font-size: 11pt; color: #000; }
  a { color: inherit; text-decoration: none; }
  blockquote { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  h2, h3, h4, h5, h6 { break-after: avoid; page-break-after: avoid; }
}
</style>
)";

// A language tag as BCP 47 spells one: letters, then parts of letters and digits after hyphens.
bool IsLanguageTag(std::string_view text) {
    if (text.empty() || text.size() > 35)
        return false;
    std::size_t part = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '-') {
            if (part == 0 || part > 8)
                return false;
            part = 0;
            continue;
        }
        const char c = text[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(i > 0 && c >= '0' && c <= '9'))
            return false;
        ++part;
    }
    return true;
}

} // namespace

namespace html {

std::string PageStart(std::string_view title, std::string_view language) {
    std::string out = "<!DOCTYPE html>\n<html";
    if (IsLanguageTag(language))
        out.append(" lang=\"").append(language) += '"';
    out += ">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<meta name=\"generator\" content=\"Marvik\">\n<title>";
    AppendEscaped(out, title);
    out += "</title>\n";
    out += kStyle;
    out += "</head>\n<body>\n";
    return out;
}

std::string_view PageEnd() {
    return "</body>\n</html>\n";
}

} // namespace html
