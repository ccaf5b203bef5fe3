#include "MarvikApplication.h"
#include "TForm1.h"

int main(int argc, char* argv[]) {
    MarvikApplication application(argc, argv);
    TForm1 form;
    form.show();
    // A database named on the command line (a file manager's "open with") is loaded once the window runs, so that
    // its errors reach the error display like any other.
    const QStringList arguments = MarvikApplication::arguments();
    if (arguments.size() > 1)
        QMetaObject::invokeMethod(
            &form, [&form, path = arguments.at(1)] { form.LoadDatabase(path); }, Qt::QueuedConnection);
    return MarvikApplication::exec();
}
