#include "AnonymousMemory.h"

#include <fstream>
#include <string>

double AnonymousKb(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssAnon:", 0) == 0)
            return std::stod(line.substr(8));
    return 0;
}
