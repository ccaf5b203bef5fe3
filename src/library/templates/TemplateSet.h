#pragma once

#include "AnnotatedVolume.h"
#include "RenderedNote.h"
#include "TemplateSources.h"

#include <memory>
#include <string>
#include <string_view>

// A template set checked and ready: it renders a book's note in the pieces a note is made of (RenderedNote). The
// book template's leading "---" ... "---" lines are the note's front matter; the rest places the highlights with
// {{{highlights}}}; each highlight is rendered by the highlight template, in reading order; the note's name by the
// name template, and what a block of a highlight the reader deleted gets around it by the deleted mark ({{{block}}}).
class TemplateSet {
public:
    // Every file of the set parsed and checked; raises ETemplateError.
    explicit TemplateSet(const TemplateSetSource& source);

    // The set that a name or a folder names (FindTemplateSet), checked.
    static std::shared_ptr<const TemplateSet> Named(const std::string& nameOrFolder);

    const std::string& Name() const { return m_name; }
    const std::string& NoteApp() const { return m_noteApp; }

    // The book's note. exportDate: YYYY-MM-DD. Raises ETemplateError where the engine fails.
    RenderedNote Render(const AnnotatedVolume& volume, std::string_view exportDate) const;

private:
    struct Pieces; // the parsed templates: the engine's header stays out of this one
    std::string m_name;
    std::string m_noteApp;
    std::shared_ptr<const Pieces> m_pieces;
};
