#include "SidecarPosition.h"

#include "StoredValues.h"

namespace {

std::partial_ordering Compare(double a, double b) {
    return a <=> b;
}

} // namespace

std::optional<SidecarPosition> SidecarPosition::ParseXPointer(std::string_view text) {
    if (text.empty() || text.front() != '/')
        return std::nullopt;
    SidecarPosition position;
    position.m_kind = Kind::XPointer;
    // The offset into the last node follows its final "."; the steps never hold one ("text()", "p[3]").
    const std::size_t dot = text.rfind('.');
    const std::size_t lastSlash = text.rfind('/');
    if (dot != std::string_view::npos && dot > lastSlash) {
        const std::optional<std::int64_t> offset = WholeNumber<std::int64_t>(text.substr(dot + 1));
        if (!offset)
            return std::nullopt;
        position.m_offset = *offset;
        text = text.substr(0, dot);
    }
    std::size_t from = 1;
    while (from <= text.size()) {
        std::size_t end = text.find('/', from);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view step = text.substr(from, end - from);
        if (step.empty())
            return std::nullopt;
        Step parsed;
        if (step.back() == ']') {
            const std::size_t open = step.rfind('[');
            if (open == std::string_view::npos)
                return std::nullopt;
            const std::optional<std::int64_t> index =
                WholeNumber<std::int64_t>(step.substr(open + 1, step.size() - open - 2));
            if (!index)
                return std::nullopt;
            parsed.index = *index;
            step = step.substr(0, open);
        }
        parsed.name = std::string(step);
        position.m_steps.push_back(std::move(parsed));
        from = end + 1;
    }
    return position;
}

SidecarPosition SidecarPosition::From(const LuaValue* value) {
    if (!value)
        return {};
    if (value->kind == LuaValue::Kind::Text)
        return ParseXPointer(value->text).value_or(SidecarPosition());
    if (value->IsTable()) {
        const std::optional<double> page = value->NumberOf("page");
        if (!page)
            return {};
        SidecarPosition position;
        position.m_kind = Kind::PagePoint;
        position.m_page = *page;
        position.m_y = value->NumberOf("y").value_or(0);
        position.m_x = value->NumberOf("x").value_or(0);
        return position;
    }
    return {};
}

std::partial_ordering SidecarPosition::operator<=>(const SidecarPosition& other) const {
    if (m_kind != other.m_kind || m_kind == Kind::Unknown)
        return std::partial_ordering::unordered;
    if (m_kind == Kind::PagePoint) {
        // Down the page line by line, then along the line.
        if (const auto page = Compare(m_page, other.m_page); page != 0)
            return page;
        if (const auto y = Compare(m_y, other.m_y); y != 0)
            return y;
        return Compare(m_x, other.m_x);
    }
    const std::size_t common = std::min(m_steps.size(), other.m_steps.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (m_steps[i].name != other.m_steps[i].name)
            return std::partial_ordering::unordered;
        if (m_steps[i].index != other.m_steps[i].index)
            return m_steps[i].index <=> other.m_steps[i].index;
    }
    if (m_steps.size() != other.m_steps.size())
        return std::partial_ordering::unordered;
    return m_offset <=> other.m_offset;
}
