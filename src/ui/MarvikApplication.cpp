#include "MarvikApplication.h"

#include "ErrorDisplay.h"

MarvikApplication::MarvikApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool MarvikApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
