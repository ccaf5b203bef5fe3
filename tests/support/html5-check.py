# Reads an exported HTML page as browsers do, with html5lib in strict mode: any parse error fails. Prints what could
# reach outside the page (scripts, embedded or linked resources; links only on a book's page, "page"), then the text
# of each element that carries the book's texts, one a line: "tag.class: text".
import sys

import html5lib

path, kind = sys.argv[1], sys.argv[2]
out = []
try:
    document = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False).parse(open(path, "rb").read())
except html5lib.html5parser.ParseError as error:
    sys.stdout.write("parse error: %s\n" % error)
    sys.exit(1)
outside = [e.tag for e in document.iter()
           if e.tag in ("script", "link", "img", "iframe", "object", "embed", "base", "form")
           or "src" in e.attrib or any(a.startswith("on") for a in e.attrib)
           or (kind == "page" and "href" in e.attrib)]
out.append("outside: " + " ".join(outside))
for e in document.iter():
    cls = e.get("class", "")
    if e.tag in ("title", "h1", "h2", "h3", "blockquote") or cls in ("note", "facts", "author"):
        out.append("%s%s: %s" % (e.tag, "." + cls if cls else "", "".join(e.itertext())))
    if e.tag == "a":
        out.append("a %s: %s" % (e.get("href"), "".join(e.itertext())))
sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))
