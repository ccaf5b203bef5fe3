#pragma once

#include <QString>

// Asks the desktop to open target (a folder or file) with its default action. Silent on failure.
void ShellOpen(const QString& target);

// Opens the file's folder in the desktop's file browser with the file selected: the freedesktop FileManager1
// service on the session bus, else the folder itself. Silent on failure.
void OpenFolderAndSelect(const QString& file);
