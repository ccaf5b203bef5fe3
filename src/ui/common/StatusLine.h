#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>

class QLabel;
class QPushButton;
class WindowProgress;

// The window's status line: how the last action ended, and after an export the written file or folder offered to open
// or show. Every action of the window tells its outcome here.
class StatusLine : public QObject {
    Q_OBJECT

public:
    // label: the status text (also the progress's); openFile, showInFolder: the offers after an export.
    StatusLine(WindowProgress& progress, QLabel& label, QPushButton& openFile, QPushButton& showInFolder,
               QObject* parent = nullptr);

    // How an action ended, with the progress bar back at empty and no offer left over.
    void ShowOutcome(const QString& text);
    // Runs an action; when it fails, the status says so in a few words and the error goes on to the caller.
    void Reported(const QString& failure, const std::function<void()>& action);
    // A written file: the status names it with its folder, the file is shown in the file browser.
    void ShowWritten(const QString& what, const std::filesystem::path& file);
    // The offers after an export: the file to open (empty: none) and the item to show in its folder.
    void OfferWritten(const QString& file, const QString& shown);
    // A search that found nothing says so, until the next one finds a row.
    void ShowSearchOutcome(bool found);

signals:
    // An outcome was shown: what runs beside the foreground (backups) may show itself again.
    void OutcomeShown();

private:
    void OpenWritten();
    void ShowWrittenInFolder();
    // Whether the item an offer names is still there; when it is not, the status says that it cannot be opened or
    // shown (action) and why.
    bool StillThere(const QString& item, const QString& action);

    WindowProgress& m_progress;
    QLabel& m_label;
    QPushButton& m_openFile;
    QPushButton& m_showInFolder;
    QString m_writtenFile;  // what "open file" opens
    QString m_writtenShown; // what "show in folder" shows
};
