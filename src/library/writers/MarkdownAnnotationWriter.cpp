#include "MarkdownAnnotationWriter.h"

#include "BlockId.h"
#include "EveryColorIsGrey.h"
#include "MarkdownFacts.h"
#include "MarkdownFrontMatter.h"
#include "MarkdownMarkup.h"
#include "MarkdownText.h"

namespace {

using markdown::AppendBlock;
using markdown::AppendInline;

// One block: its lines, then the empty line that ends it.
void AppendBlockOf(std::string& out, std::string_view text, std::string_view prefix = "") {
    const std::size_t before = out.size();
    AppendBlock(out, text, prefix);
    if (out.size() != before)
        out += '\n';
}

void AppendHeading(std::string& out, std::string_view marks, std::string_view text) {
    out += marks;
    const std::size_t before = out.size();
    out += ' ';
    AppendInline(out, text);
    if (out.size() == before + 1)
        out.pop_back(); // an empty heading: no space after the marks
    out += "\n\n";
}

// The block id on its own line: after a quote, as note-taking programs want it for a block quote, it names the
// highlighted text; a bookmark without one gets it after its last block.
void AppendBlockIdOf(std::string& out, const AnnotatedBookmark& bookmark) {
    out += '^';
    out += BlockId(bookmark.bookmarkId);
    out += "\n\n";
}

void AppendBookmark(std::string& out, const AnnotatedVolume& volume, const AnnotatedBookmark& bookmark,
                    bool colorsSayNothing) {
    const bool hasQuote = !markdown::IsBlank(bookmark.text), hasNote = !markdown::IsBlank(bookmark.annotation);
    AppendBlockOf(out, bookmark.text, "> ");
    if (hasQuote)
        AppendBlockIdOf(out, bookmark);
    if (hasNote)
        out += "**Note:** "; // before the note's first line that is not empty
    AppendBlockOf(out, bookmark.annotation);
    if (bookmark.type == "markup")
        AppendMarkupPicture(out, bookmark);
    if (const std::string facts = markdown::FactLine(volume, bookmark, colorsSayNothing); !facts.empty())
        out.append("*").append(facts) += "*\n\n";
    if (!hasQuote)
        AppendBlockIdOf(out, bookmark);
}

} // namespace

void MarkdownAnnotationWriter::Write(const AnnotatedVolume& volume, ByteSink& sink) const {
    ChunkedBytes chunks(sink);
    std::string& out = chunks.Bytes();

    const std::string title = volume.title.empty() ? BookFileName(volume.volumeId) : volume.title;
    out += markdown::FrontMatter(volume, title, m_exportDate);
    out += '\n';

    AppendHeading(out, "#", title);
    AppendBlockOf(out, volume.author);
    AppendBlockOf(out, markdown::BookFacts(volume));

    // A chapter heading wherever the part changes, as the text file's section lines.
    std::string_view remembered;
    const bool colorsSayNothing = EveryColorIsGrey(volume);
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        // Before a bookmark, so that the last one's empty line is still here to be taken back.
        chunks.Checkpoint();
        const PartFacts& part = volume.PartOf(bookmark);
        if (part.contentId != remembered) {
            remembered = part.contentId;
            AppendHeading(out, markdown::HeadingMarks(part), part.Heading());
            if (part.found)
                AppendBlockOf(out, part.attribution);
        }
        AppendBookmark(out, volume, bookmark, colorsSayNothing);
    }
    out.pop_back(); // the file ends with its last line's end, not with an empty line
    chunks.Finish();
}
