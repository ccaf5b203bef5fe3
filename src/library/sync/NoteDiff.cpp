#include "NoteDiff.h"

#include "LineEnds.h"

#include <dtl/dtl.hpp>

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

} // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after, const std::string& beforeName,
                        const std::string& afterName) {
    if (before == after)
        return {};
    dtl::Diff<std::string> diff(Lines(before), Lines(after));
    diff.onHuge();
    diff.compose();
    diff.composeUnifiedHunks();
    std::ostringstream out;
    out << "--- " << beforeName << "\n+++ " << afterName << '\n';
    for (const auto& hunk : diff.getUniHunks()) {
        // A range of no lines starts at the line before it, as diff and patch count: a new note's is "-0,0".
        out << "@@ -" << (hunk.b == 0 ? hunk.a - 1 : hunk.a) << ',' << hunk.b << " +"
            << (hunk.d == 0 ? hunk.c - 1 : hunk.c) << ',' << hunk.d << " @@\n";
        for (const auto* lines : {&hunk.common[0], &hunk.change, &hunk.common[1]})
            for (const auto& [line, info] : *lines)
                out << (info.type == dtl::SES_ADD ? '+' : info.type == dtl::SES_DELETE ? '-' : ' ') << line << '\n';
    }
    return out.str();
}
