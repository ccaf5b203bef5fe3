#include "MarvikApplication.h"
#include "TForm1.h"

int main(int argc, char* argv[]) {
    MarvikApplication application(argc, argv);
    TForm1 form;
    form.show();
    form.OpenArguments(MarvikApplication::arguments());
    return MarvikApplication::exec();
}
