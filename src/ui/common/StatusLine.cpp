#include "StatusLine.h"

#include "ShellOpen.h"
#include "Utf8Text.h"
#include "WindowProgress.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr QLatin1String kNotFound("not found");

} // namespace

StatusLine::StatusLine(WindowProgress& progress, QLabel& label, QPushButton& openFile, QPushButton& showInFolder,
                       QObject* parent)
    : QObject(parent), m_progress(progress), m_label(label), m_openFile(openFile), m_showInFolder(showInFolder) {
    connect(&m_openFile, &QPushButton::clicked, this, &StatusLine::OpenWritten);
    connect(&m_showInFolder, &QPushButton::clicked, this, &StatusLine::ShowWrittenInFolder);
}

void StatusLine::ShowOutcome(const QString& text) {
    m_progress.ShowOutcome(text);
    OfferWritten({}, {});
    emit OutcomeShown();
}

void StatusLine::Reported(const QString& failure, const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        ShowOutcome(failure);
        throw;
    }
}

void StatusLine::ShowWritten(const QString& what, const std::filesystem::path& file) {
    ShowOutcome(what + " written to " + FromPath(file.filename()) + " in " + FromPath(file.parent_path().filename()));
    m_label.setToolTip(FromPath(file));
    OfferWritten(FromPath(file), FromPath(file));
    OpenFolderAndSelect(FromPath(file));
}

void StatusLine::OfferWritten(const QString& file, const QString& shown) {
    m_writtenFile = file;
    m_writtenShown = shown;
    m_openFile.setVisible(!file.isEmpty());
    m_showInFolder.setVisible(!shown.isEmpty());
    if (shown.isEmpty())
        m_label.setToolTip({});
    else if (file.isEmpty())
        m_label.setToolTip(shown); // a folder of many files: the status's tooltip names it
}

void StatusLine::ShowSearchOutcome(bool found) {
    if (!found)
        ShowOutcome(kNotFound);
    else if (m_label.text() == kNotFound)
        m_label.clear();
}

void StatusLine::OpenWritten() {
    if (StillThere(m_writtenFile, "open"))
        ShellOpen(m_writtenFile);
}

void StatusLine::ShowWrittenInFolder() {
    if (!StillThere(m_writtenShown, "show"))
        return;
    if (m_writtenShown == m_writtenFile)
        OpenFolderAndSelect(m_writtenShown);
    else
        ShellOpen(m_writtenShown); // a folder of many files: the folder itself
}

bool StatusLine::StillThere(const QString& item, const QString& action) {
    if (QFileInfo::exists(item))
        return true;
    // The file browser would say nothing: the status tells why nothing opens.
    ShowOutcome("cannot " + action + " " + QFileInfo(item).fileName() + ": it is no longer there");
    return false;
}
