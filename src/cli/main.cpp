#include "Commands.h"
#include "SystemVolumes.h"

#include <iostream>

int main(int argc, char* argv[]) {
    const SystemVolumes volumes;
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), volumes, std::cout, std::cerr);
}
