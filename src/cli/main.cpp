#include "Commands.h"
#include "PrivateFolderRegistry.h"
#include "SystemVolumes.h"

#include <iostream>

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments == std::vector<std::string>{"--version"}) {
        std::cout << "marvik-cli " MARVIK_VERSION "\n";
        return std::cout.flush() ? kExitOk : kExitError;
    }
    RemovePrivateFoldersOnSignals();
    const SystemVolumes volumes;
    return RunCli(arguments, volumes, std::cout, std::cerr);
}
