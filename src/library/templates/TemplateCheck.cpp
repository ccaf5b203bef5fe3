#include "TemplateCheck.h"

#include "ETemplateError.h"
#include "SectionNesting.h"
#include "StandaloneLines.h"
#include "TemplateValues.h"
#include "TemplateVariables.h"

#include <algorithm>
#include <charconv>

namespace {

namespace mustache = kainjow::mustache;
using Component = mustache::component<std::string>;
using mustache::tag_type;

enum class NameKind { Unknown, Value, List, Shaping, Place };

// Far more than any note needs (a chapter, a condition, a quote, an indent), far less than exhausts the engine.
constexpr std::size_t kMostNestedSections = 24;

template <class Input> bool Lists(std::span<const TemplateVariable<Input>> variables, std::string_view name) {
    return std::ranges::any_of(variables, [name](const TemplateVariable<Input>& v) { return v.name == name; });
}

// The place a piece must hold once: where the highlights go, or the block.
std::string_view PlaceOf(TemplatePiece piece) {
    switch (piece) {
    case TemplatePiece::Body:
        return template_names::kHighlights;
    case TemplatePiece::Deleted:
        return template_names::kBlock;
    case TemplatePiece::Name:
    case TemplatePiece::FrontMatter:
    case TemplatePiece::Highlight:
        break;
    }
    return {};
}

// The lists a template may go through, each with the variables of its items; a list is never gone through inside
// itself.
struct InLists {
    bool chapters = false;
    bool collections = false;
};

NameKind KindOf(TemplatePiece piece, std::string_view name, InLists in) {
    using namespace template_names;
    if (!PlaceOf(piece).empty() && name == PlaceOf(piece))
        return NameKind::Place;
    if (piece == TemplatePiece::Deleted)
        return NameKind::Unknown;
    if (Lists(BookVariables(), name) || (in.chapters && Lists(ChapterVariables(), name)) ||
        (in.collections && Lists(CollectionVariables(), name)) ||
        (piece == TemplatePiece::Highlight && Lists(HighlightVariables(), name)))
        return NameKind::Value;
    if (name == kChapters || name == kCollections)
        return NameKind::List;
    if (name == kQuote || name == kIndent)
        return piece == TemplatePiece::Body || piece == TemplatePiece::Highlight ? NameKind::Shaping
                                                                                 : NameKind::Unknown;
    return NameKind::Unknown;
}

std::string ShapesMessage(const std::string& name) {
    return "\"" + name + "\" shapes what it holds: {{#" + name + "}}...{{/" + name + "}}";
}

// Walks the parsed template with the names in scope at each tag.
class Checker {
public:
    Checker(const std::string& text, TemplatePiece piece, const TemplateOrigin& origin, TemplateNames& used)
        : m_text(text), m_piece(piece), m_origin(origin), m_used(used) {}

    void Check(const Component& section, int depth = 0, InLists inLists = {}) {
        for (const Component& child : section.children) {
            switch (child.tag.type) {
            case tag_type::text:
            case tag_type::comment:
            case tag_type::set_delimiter:
            case tag_type::section_end:
                break;
            case tag_type::partial:
                Fail(child.position, "partials are not supported (\"" + child.tag.name + "\")");
            case tag_type::variable:
            case tag_type::unescaped_variable:
                CheckVariable(child, depth, inLists);
                break;
            case tag_type::section_begin:
            case tag_type::section_begin_inverted:
                CheckSection(child, depth, inLists);
                break;
            }
        }
    }

    void CheckPlaceFound() const {
        if (!PlaceOf(m_piece).empty() && !m_placed)
            throw ETemplateError(m_origin.file + ": no {{{" + std::string(PlaceOf(m_piece)) + "}}} in it");
    }

    [[noreturn]] void Fail(std::size_t position, const std::string& message) const {
        const auto end = m_text.begin() + static_cast<std::ptrdiff_t>(std::min(position, m_text.size()));
        const auto lines = static_cast<std::size_t>(std::count(m_text.begin(), end, '\n'));
        throw ETemplateError(m_origin.file + ":" + std::to_string(m_origin.firstLine + lines) + ": " + message);
    }

private:
    void CheckSection(const Component& section, int depth, InLists inLists) {
        const std::string& name = section.tag.name;
        const bool inverted = section.tag.type == tag_type::section_begin_inverted;
        switch (KindOf(m_piece, name, inLists)) {
        case NameKind::Unknown:
            Fail(section.position, "unknown variable \"" + name + "\"");
        case NameKind::Place:
            Fail(section.position, "{{{" + name + "}}} is no section");
        case NameKind::Shaping:
            if (inverted)
                Fail(section.position, ShapesMessage(name));
            break;
        case NameKind::List: {
            // Each chapter would list every chapter again, and again for each level: a few lines render without end.
            bool& inList = name == template_names::kChapters ? inLists.chapters : inLists.collections;
            if (inList && !inverted)
                Fail(section.position, "{{#" + name + "}} inside {{#" + name + "}}");
            inList = inList || !inverted;
            m_used.insert(name);
            break;
        }
        case NameKind::Value:
            m_used.insert(name);
            break;
        }
        Check(section, depth + 1, inLists);
    }

    void CheckVariable(const Component& variable, int depth, InLists inLists) {
        const std::string& name = variable.tag.name;
        if (name == "." && depth > 0)
            return;
        switch (KindOf(m_piece, name, inLists)) {
        case NameKind::Value:
            m_used.insert(name);
            return;
        case NameKind::Unknown:
            Fail(variable.position, "unknown variable \"" + name + "\"");
        case NameKind::List:
            Fail(variable.position, "\"" + name + "\" is a list: {{#" + name + "}}...{{/" + name + "}}");
        case NameKind::Shaping:
            Fail(variable.position, ShapesMessage(name));
        case NameKind::Place:
            break;
        }
        // Where it stands the text is split: once, and never repeated or left out by a section.
        if (depth > 0)
            Fail(variable.position, "{{{" + name + "}}} must stand outside every section");
        if (m_placed)
            Fail(variable.position, "{{{" + name + "}}} stands twice");
        m_placed = true;
    }

    const std::string& m_text;
    TemplatePiece m_piece;
    const TemplateOrigin& m_origin;
    TemplateNames& m_used;
    bool m_placed = false;
};

TemplateOutput OutputOf(TemplatePiece piece) {
    switch (piece) {
    case TemplatePiece::Name:
        return TemplateOutput::Plain;
    case TemplatePiece::FrontMatter:
        return TemplateOutput::Yaml;
    case TemplatePiece::Body:
    case TemplatePiece::Highlight:
    case TemplatePiece::Deleted:
        break;
    }
    return TemplateOutput::Markdown;
}

} // namespace

kainjow::mustache::mustache CheckedTemplate(const std::string& text, TemplatePiece piece, const TemplateOrigin& origin,
                                            TemplateNames& used, markdown::Dialect dialect) {
    Checker checker(text, piece, origin, used);
    if (const std::size_t deep = FirstSectionDeeperThan(text, kMostNestedSections); deep != std::string::npos)
        checker.Fail(deep, "sections nested more than " + std::to_string(kMostNestedSections) + " deep");
    // The engine's own parser, for its tree of tags: the template it makes keeps that to itself.
    mustache::context<std::string> noData;
    mustache::context_internal<std::string> context(noData);
    Component root;
    std::string error;
    mustache::parser<std::string>(text, context, root, error);
    if (!error.empty()) {
        // "Unclosed section \"x\" at 42": the position becomes a line.
        const std::size_t at = error.rfind(" at ");
        std::size_t position = 0;
        if (at != std::string::npos &&
            std::from_chars(error.data() + at + 4, error.data() + error.size(), position).ec == std::errc()) {
            error.resize(at);
        }
        if (!error.empty() && error[0] >= 'A' && error[0] <= 'Z')
            error[0] = static_cast<char>(error[0] - 'A' + 'a');
        checker.Fail(position, error);
    }
    checker.Check(root);
    checker.CheckPlaceFound();
    mustache::mustache parsed(JoinStandaloneLines(text));
    const TemplateOutput output = OutputOf(piece);
    parsed.set_custom_escape(
        [output, dialect](const std::string& value) { return TemplateEscape(value, output, dialect); });
    return parsed;
}
