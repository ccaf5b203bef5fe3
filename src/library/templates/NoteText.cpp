#include "NoteText.h"

std::string NoteText(const RenderedNote& note) {
    std::string text;
    if (!note.frontMatter.empty())
        text.append("---\n").append(note.frontMatter).append("---\n");
    text += note.beforeBlocks;
    for (const RenderedBlock& block : note.blocks) {
        if (block.deletedOnReader)
            text.append(note.deletedBefore).append(block.text).append(note.deletedAfter);
        else
            text += block.text;
    }
    text += note.afterBlocks;
    while (text.ends_with('\n'))
        text.pop_back();
    if (!text.empty())
        text += '\n';
    return text;
}
