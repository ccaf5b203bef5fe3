#pragma once

#include "AnnotationSource.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One source of a combined library, with what it knows of its books' ISBNs (nothing, where isbnOf is empty).
struct SourceMember {
    std::unique_ptr<AnnotationSource> source;
    std::function<std::string(const std::string& volumeId)> isbnOf;
};

// Several sources as one library: a book that several of them hold (the same ISBN, or the same title and author
// folded, BookIdentity.h) is one volume, its bookmarks each carrying the source it came from. The volume's id, title
// and author are those of the first source that holds it, in the order given. Within one source two books stay two.
class CombinedSource : public AnnotationSource {
public:
    explicit CombinedSource(std::vector<SourceMember> members, const TextOrder& order = TextOrder::ForUserLocale());

    const LibraryIndex& Index() const override { return m_index; }
    bool HasBookmarks(const std::string& volumeId) const override { return m_volumes.contains(volumeId); }
    // A book of one source is read as that source reads it. One of several has every source's bookmarks once (the
    // same text and note read from two sources is one), in the order of their places in the book where both are
    // known, else in the order of the sources; parts, facts and sources of all. Nothing when every source's file is
    // gone.
    std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                              ProgressReporter& progress) const override;
    // The first source's.
    SourceFacts Facts() const override;

    std::size_t Count() const { return m_members.size(); }
    const AnnotationSource& Member(std::size_t index) const { return *m_members[index].source; }

private:
    struct Holding {
        std::size_t member = 0;
        std::string volumeId;
    };

    std::vector<SourceMember> m_members;
    LibraryIndex m_index;
    std::map<std::string, std::vector<Holding>> m_volumes;
};
