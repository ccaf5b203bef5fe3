#pragma once

#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QWidget;

// Every modal box of the program goes through here, so that tests can take the boxes instead of a person.
struct MessageBoxRequest {
    enum class Icon { None, Critical };
    Icon icon = Icon::None;
    QString caption;
    QString text;
};

using MessageBoxHandler = std::function<void(const MessageBoxRequest&)>;

// Replaces the handler (an empty one restores the real boxes); returns the one it replaced.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a box with one OK button and waits until it is closed.
void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);

// The box ShowMessageBox shows: its text wraps, long paths and names included, within a width that fits the screen,
// and can be selected and copied.
std::unique_ptr<QDialog> MakeMessageBox(QWidget* parent, const MessageBoxRequest& request);

// The file dialog that picks a file to open.
struct OpenFileRequest {
    QString caption;
    QString folder;       // where it starts
    QString filter;       // as QFileDialog takes it
    bool folders = false; // a folder is chosen, not a file
};

// Returns the chosen file, or empty when the dialog was cancelled.
using OpenFileHandler = std::function<QString(const OpenFileRequest&)>;

OpenFileHandler SetOpenFileHandler(OpenFileHandler handler);
QString ChooseFileToOpen(QWidget* parent, const OpenFileRequest& request);
// The same for a folder; the handler gets the request with folders set.
QString ChooseFolder(QWidget* parent, OpenFileRequest request);
