#include "CoverAttachment.h"

#include "BookCover.h"
#include "CoverCopy.h"
#include "SafeFileName.h"

void AttachBookCover(const std::filesystem::path& volumeRoot, const std::filesystem::path& notesFolder,
                     AnnotatedVolume& volume, bool write, ProgressReporter& progress) {
    volume.cover.clear();
    const CoverSearch search = FindBookCover({volumeRoot, volume.volumeId, volume.imageId});
    for (const std::string& refused : search.refused)
        progress.Warn(refused);
    if (!search.cover)
        return;
    const std::string title = volume.title.empty() ? BookFileName(volume.volumeId) : volume.title;
    const std::string extension(PictureExtension(search.cover->facts.kind));
    const std::string safe = SafeFileName(title, extension);
    const std::filesystem::path folder = notesFolder / kAttachmentsFolder;
    const std::filesystem::path file =
        CoverCopyName(*search.cover, folder, safe.substr(0, safe.size() - extension.size()));
    if (file.empty()) {
        progress.Warn("no free name for the cover of " + title + " in " + folder.string());
        return;
    }
    if (write) {
        try {
            WriteCoverCopy(*search.cover, file);
        } catch (const std::exception& error) {
            progress.Warn("the cover of " + title + " cannot be copied: " + error.what());
            return;
        }
    }
    volume.cover = std::string(kAttachmentsFolder) + "/" + file.filename().string();
}
