#include "MarvikApplication.h"
#include "PrivateFolderRegistry.h"
#include "TForm1.h"

int main(int argc, char* argv[]) {
    // Before any thread starts: a private copy of the database must not outlive a Ctrl+C or a logout.
    RemovePrivateFoldersOnSignals();
    MarvikApplication application(argc, argv);
    TForm1 form;
    form.show();
    form.OpenArguments(MarvikApplication::arguments());
    return MarvikApplication::exec();
}
