#include "NoteDiff.h"

#include "LineEnds.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

// Lines without "\n", so that the printer's own line ends stand in for them; a CRLF line keeps its "\r".
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(text)) {
        if (line.ends_with('\n'))
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

// The lines a hunk shows around a change.
constexpr std::size_t kContext = 3;
// Comparing what was removed with what was added takes time with all of it times the smaller part (a note only
// added to, or only cut, is quick); past this the change is told by its size. About half a second.
constexpr std::size_t kMostComparisonWork = 100'000'000;

} // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after, const std::string& beforeName,
                        const std::string& afterName) {
    if (before == after)
        return {};
    const std::vector<std::string> beforeLines = Lines(before);
    const std::vector<std::string> afterLines = Lines(after);
    // The lines both share at the start and at the end are no part of any change: only what lies between them is
    // compared, with the context a hunk shows around it. A note that grew by a few highlights compares a few lines.
    std::size_t same = 0;
    while (same < beforeLines.size() && same < afterLines.size() && beforeLines[same] == afterLines[same])
        ++same;
    std::size_t sameAtEnd = 0;
    while (sameAtEnd < beforeLines.size() - same && sameAtEnd < afterLines.size() - same &&
           beforeLines[beforeLines.size() - 1 - sameAtEnd] == afterLines[afterLines.size() - 1 - sameAtEnd])
        ++sameAtEnd;
    const std::size_t removed = beforeLines.size() - same - sameAtEnd;
    const std::size_t added = afterLines.size() - same - sameAtEnd;
    std::ostringstream out;
    out << "--- " << beforeName << "\n+++ " << afterName << '\n';
    if ((removed + added) * std::min(removed, added) > kMostComparisonWork) {
        out << "@@ the note changed: " << removed << (removed == 1 ? " line" : " lines") << " removed, " << added
            << (added == 1 ? " line" : " lines") << " added; too many to show line by line @@\n";
        return out.str();
    }
    const std::size_t from = same - std::min(same, kContext);
    const std::size_t tail = std::min(sameAtEnd, kContext);
    const auto part = [&](const std::vector<std::string>& lines) {
        return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from),
                                        lines.end() - static_cast<std::ptrdiff_t>(sameAtEnd - tail));
    };
    dtl::Diff<std::string> diff(part(beforeLines), part(afterLines));
    diff.onHuge();
    diff.compose();
    diff.composeUnifiedHunks();
    const auto offset = static_cast<long long>(from);
    for (const auto& hunk : diff.getUniHunks()) {
        // A range of no lines starts at the line before it, as diff and patch count: a new note's is "-0,0".
        out << "@@ -" << (hunk.b == 0 ? hunk.a - 1 : hunk.a) + offset << ',' << hunk.b << " +"
            << (hunk.d == 0 ? hunk.c - 1 : hunk.c) + offset << ',' << hunk.d << " @@\n";
        for (const auto* lines : {&hunk.common[0], &hunk.change, &hunk.common[1]})
            for (const auto& [line, info] : *lines)
                out << (info.type == dtl::SES_ADD ? '+' : info.type == dtl::SES_DELETE ? '-' : ' ') << line << '\n';
    }
    return out.str();
}
