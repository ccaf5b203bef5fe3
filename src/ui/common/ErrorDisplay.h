#pragma once

#include <QString>

#include <functional>

class QWidget;

// The title of the program's boxes: the executable's file name without folder and without everything from its
// first "." on, every letter after the first in lower case ("RuzuVure.Beta.exe" gives "Ruzuvure").
QString ApplicationTitle(const QString& executablePath);

// The text an error box shows: a full stop appended unless the message is empty or ends in a character whose code
// is not above that of the full stop; carriage returns shown as line breaks.
QString ErrorBoxText(const QString& message);

// Shows an error that ended a handler: a critical box with one OK button, captioned with the application's title.
void ShowErrorDisplay(QWidget* parent, const QString& message);

// Runs a handler; an exception that leaves it is shown by the error display, and the program goes on.
void RunGuarded(QWidget* parent, const std::function<void()>& handler);
