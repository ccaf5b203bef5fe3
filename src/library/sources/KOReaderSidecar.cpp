#include "KOReaderSidecar.h"

#include "BookIdentity.h"
#include "OrderWhereKnown.h"

#include <cctype>
#include <cmath>

namespace {

// KOReader joins several values (authors, identifiers) with line breaks.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        if (end > from)
            lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& separator) {
    std::string joined;
    for (const std::string& line : lines) {
        if (!joined.empty())
            joined += separator;
        joined += line;
    }
    return joined;
}

void ReadIdentifiers(const std::string& identifiers, SidecarBook& book) {
    const std::vector<std::string> lines = Lines(identifiers);
    for (const std::string& line : lines)
        if (std::string isbn = IsbnDigits(line); !isbn.empty()) {
            book.isbn = std::move(isbn);
            return;
        }
    if (!lines.empty())
        book.isbn = lines.front();
}

void ReadFacts(const LuaValue& sidecar, SidecarBook& book) {
    const LuaValue empty;
    const LuaValue* props = sidecar.Field("doc_props");
    const LuaValue* stats = sidecar.Field("stats");
    const LuaValue& facts = props && props->IsTable() ? *props : empty;
    const LuaValue& figures = stats && stats->IsTable() ? *stats : empty;
    book.title = facts.TextOf("title");
    if (book.title.empty())
        book.title = figures.TextOf("title");
    std::string authors = facts.TextOf("authors");
    if (authors.empty())
        authors = figures.TextOf("authors");
    book.authors = Joined(Lines(authors), " & ");
    book.language = facts.TextOf("language");
    if (book.language.empty())
        book.language = figures.TextOf("language");
    ReadIdentifiers(facts.TextOf("identifiers"), book);
    book.series = facts.TextOf("series");
    book.seriesNumber = facts.TextOf("series_index");
    book.description = facts.TextOf("description");
    book.documentPath = sidecar.TextOf("doc_path");
    book.pages = sidecar.NumberOf("doc_pages");
    if (!book.pages)
        book.pages = figures.NumberOf("pages");
    if (const std::optional<double> finished = sidecar.NumberOf("percent_finished");
        finished && *finished >= 0 && *finished <= 1)
        book.percentRead = std::to_string(static_cast<int>(std::lround(*finished * 100)));
    if (const LuaValue* summary = sidecar.Field("summary"); summary && summary->IsTable()) {
        const std::string status = summary->TextOf("status");
        if (status == "complete")
            book.readStatus = "2";
        else if (status == "reading")
            book.readStatus = "1";
        book.lastRead = summary->TextOf("modified");
    }
}

SidecarAnnotation FromEntry(const LuaValue& entry) {
    SidecarAnnotation annotation;
    annotation.text = entry.TextOf("text");
    annotation.note = entry.TextOf("note");
    annotation.chapter = entry.TextOf("chapter");
    annotation.drawer = entry.TextOf("drawer");
    annotation.color = entry.TextOf("color");
    annotation.created = entry.TextOf("datetime");
    annotation.updated = entry.TextOf("datetime_updated");
    const LuaValue* start = entry.Field("pos0");
    annotation.pageBookmark = start == nullptr;
    if (!start)
        start = entry.Field("page");
    annotation.position = SidecarPosition::From(start);
    annotation.place = start && start->kind == LuaValue::Kind::Text ? start->text : entry.TextOf("page");
    annotation.page = entry.NumberOf("pageno");
    if (!annotation.page)
        annotation.page = entry.NumberOf("page"); // a fixed-page book's page
    return annotation;
}

void ReadCurrent(const LuaValue& annotations, SidecarBook& book) {
    for (const auto& [key, entry] : annotations.items)
        if (entry.IsTable())
            book.annotations.push_back(FromEntry(entry));
}

// The older tables: highlight[page][n] holds the highlights, bookmarks[n] a bookmark for each highlight (whose text
// is the reader's note, where it differs from the highlighted text) and for each bookmarked page.
void ReadOlder(const LuaValue& sidecar, SidecarBook& book) {
    const LuaValue* bookmarks = sidecar.Field("bookmarks");
    std::vector<const LuaValue*> highlightMarks;
    if (bookmarks && bookmarks->IsTable()) {
        for (const auto& [key, mark] : bookmarks->items) {
            if (!mark.IsTable())
                continue;
            const LuaValue* highlighted = mark.Field("highlighted");
            if (highlighted && highlighted->kind == LuaValue::Kind::Boolean && highlighted->boolean) {
                highlightMarks.push_back(&mark);
                continue;
            }
            SidecarAnnotation page = FromEntry(mark);
            page.pageBookmark = true;
            page.text = mark.TextOf("notes");
            page.note = mark.TextOf("text") == page.text ? std::string() : mark.TextOf("text");
            book.annotations.push_back(std::move(page));
        }
    }
    const LuaValue* highlights = sidecar.Field("highlight");
    if (!highlights || !highlights->IsTable())
        return;
    for (const auto& [page, onPage] : highlights->items) {
        if (!onPage.IsTable())
            continue;
        for (const auto& [index, entry] : onPage.items) {
            if (!entry.IsTable())
                continue;
            SidecarAnnotation highlight = FromEntry(entry);
            if (!highlight.page)
                highlight.page = static_cast<double>(page);
            // Its bookmark starts where it starts, and was made at the same moment.
            for (const LuaValue* mark : highlightMarks) {
                if (mark->TextOf("pos0") != entry.TextOf("pos0") || mark->TextOf("datetime") != highlight.created)
                    continue;
                const std::string note = mark->TextOf("text");
                if (note != highlight.text && note != mark->TextOf("notes"))
                    highlight.note = note;
                break;
            }
            book.annotations.push_back(std::move(highlight));
        }
    }
}

std::partial_ordering InReadingOrder(const SidecarAnnotation& a, const SidecarAnnotation& b) {
    if (const std::partial_ordering byPlace = a.position <=> b.position; byPlace != std::partial_ordering::unordered)
        return byPlace;
    if (a.page && b.page)
        return *a.page <=> *b.page;
    return std::partial_ordering::unordered;
}

} // namespace

SidecarBook ReadSidecarBook(const LuaValue& sidecar) {
    SidecarBook book;
    ReadFacts(sidecar, book);
    if (const LuaValue* annotations = sidecar.Field("annotations"); annotations && annotations->IsTable())
        ReadCurrent(*annotations, book);
    else
        ReadOlder(sidecar, book);
    OrderWhereKnown(book.annotations, InReadingOrder);
    return book;
}
