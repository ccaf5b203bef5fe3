#pragma once

#include <QApplication>

// The application object; an exception that escapes any event handler is shown by the error display.
class MarvikApplication : public QApplication {
public:
    MarvikApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
