#pragma once

#include <string>
#include <string_view>

// The id by which note-taking programs link to one bookmark's block, without its "^": only lower-case letters, digits
// and hyphens, the same in every export. The bookmark id's letters, digits and hyphens, lower-cased; where that
// dropped or changed anything, a hyphen and eight hex digits of a hash of the whole id follow, so that ids differing
// only in what was dropped or in letter case still get different block ids.
std::string BlockId(std::string_view bookmarkId);
