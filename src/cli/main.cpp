#include "Commands.h"
#include "PrivateFolderRegistry.h"
#include "SystemVolumes.h"

#include <sys/resource.h>

#include <iostream>

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments == std::vector<std::string>{"--version"}) {
        std::cout << "marvik-cli " MARVIK_VERSION "\n";
        return std::cout.flush() ? kExitOk : kExitError;
    }
    RemovePrivateFoldersOnSignals();
    // An export of many books holds each book's file open, without a name, until every book is read: as many files as
    // the system lets this process open.
    if (rlimit files{}; getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    const SystemVolumes volumes;
    return RunCli(arguments, volumes, std::cout, std::cerr);
}
