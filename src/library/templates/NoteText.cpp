#include "NoteText.h"

std::string NoteText(const RenderedNote& note) {
    std::string text;
    if (!note.frontMatter.empty())
        text.append("---\n").append(note.frontMatter).append("---\n");
    text += note.beforeBlocks;
    // A deleted highlight's own block says so where the set wants it ("deleted"); the deleted mark is for a note's
    // block whose highlight was deleted after it was written there.
    for (const RenderedBlock& block : note.blocks)
        text += block.text;
    text += note.afterBlocks;
    while (text.ends_with('\n'))
        text.pop_back();
    if (!text.empty())
        text += '\n';
    return text;
}
