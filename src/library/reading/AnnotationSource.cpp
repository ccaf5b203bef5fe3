#include "AnnotationSource.h"

#include <exception>

bool AnnotationSource::ReadVolumes(const std::vector<std::string>& volumeIds, const ReadingOptions& options,
                                   ProgressReporter& progress, VolumeReceiver& receiver) const {
    receiver.Restart();
    progress.SetStatus("extracting annotations");
    std::size_t bookmarks = 0;
    if (const std::optional<LibraryIndex::BookmarkCounts>& counts = Index().Counts)
        for (const std::string& id : volumeIds)
            if (const auto found = counts->ofVolume.find(id); found != counts->ofVolume.end())
                bookmarks += found->second;
    progress.StartProgress(bookmarks);
    SharedProgress shared(progress);
    for (const std::string& id : volumeIds) {
        if (progress.StopRequested())
            break;
        std::optional<AnnotatedVolume> volume;
        try {
            volume = ReadVolume(id, options, shared);
        } catch (const std::exception& error) {
            receiver.Unread(id, error.what());
            continue;
        }
        if (!volume)
            return false;
        receiver.Take(id, std::move(*volume));
    }
    return true;
}
