#include "ExportCover.h"

#include "BookCover.h"
#include "CoverCopy.h"

void PlaceExportCover(AnnotatedVolume& volume, const std::filesystem::path& volumeRoot,
                      const std::filesystem::path& target, ProgressReporter& progress) {
    volume.cover.clear();
    const CoverSearch search = FindBookCover({volumeRoot, volume.volumeId, volume.imageId});
    for (const std::string& refused : search.refused)
        progress.Warn(refused);
    if (!search.cover)
        return;
    const std::filesystem::path file =
        CoverCopyName(*search.cover, target.parent_path(), target.stem().string() + ".cover");
    if (file.empty())
        return;
    WriteCoverCopy(*search.cover, file);
    volume.cover = file.filename().string();
}
