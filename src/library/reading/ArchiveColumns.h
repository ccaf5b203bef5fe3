#pragma once

// The archive is read as a reader-shaped database (the archive wing writes it), whose Bookmark rows carry two columns
// that no reader's database has: whether the reader the bookmark came from has lost it, and when that reader last
// showed it. A reading that finds them fills the bookmarks' gone marks; a reader's database reads as it always did.
inline constexpr const char* kArchiveGoneColumn = "ArchiveGone";         // 1 for a gone bookmark, else NULL
inline constexpr const char* kArchiveLastSeenColumn = "ArchiveLastSeen"; // the archive's instant, or NULL
