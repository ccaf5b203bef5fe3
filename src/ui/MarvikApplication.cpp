#include "MarvikApplication.h"

#include "ErrorDisplay.h"

MarvikApplication::MarvikApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Lets the desktop match the window with its launcher entry and icon.
    setDesktopFileName("io.github.marvik_app.marvik");
}

bool MarvikApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
