#pragma once

#include "ExportOptions.h"
#include "ReaderLibrary.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class BackgroundRunner;
class OptionsTab;
class QWidget;
class StatusLine;
class WindowProgress;

// What the window exports: a book from a list's row, the highlights chosen on the library tab, every listed book (or
// their new highlights only), and a book's content-id repair statements. Each action throws what kept it from its end;
// the window's error display tells it.
class ExportActions : public QObject {
    Q_OBJECT

public:
    // window: where messages show; options: the export and reading options as chosen now; resultsFolder: where the
    // files go, asked at each export.
    ExportActions(QWidget& window, BackgroundRunner& runner, WindowProgress& progress, StatusLine& status,
                  const OptionsTab& options, std::function<QString()> resultsFolder);

    // The library the actions read from now on.
    void SetLibrary(std::shared_ptr<const ReaderLibrary> library) { m_library = std::move(library); }

    // The volume's annotations to its file in the results folder, as a double-click on its row asks.
    void ExportVolume(const std::string& volumeId);
    // Only the named bookmarks of the volume.
    void ExportSelected(const std::string& volumeId, const std::vector<std::string>& bookmarkIds);
    // Every listed volume in the background, with Cancel; newOnly: only the highlights no export has written yet
    // (also when the options say so).
    void ExportAll(bool newOnly);
    // The volume's repair statements, for the console (RepairStatements).
    void RepairContentIds(const std::string& volumeId);
    // The results folder, made again when it was removed while the window was open; one that cannot be made is an
    // error of its own, told once instead of once a book.
    void MakeResultsFolder() const;

signals:
    void RepairStatements(const QStringList& statements);

private:
    void ExtractAnnotations(const std::string& volumeId, const std::filesystem::path& target);

    QWidget& m_window;
    BackgroundRunner& m_runner;
    WindowProgress& m_progress;
    StatusLine& m_status;
    const OptionsTab& m_options;
    std::function<QString()> m_resultsFolder;
    std::shared_ptr<const ReaderLibrary> m_library;
};
