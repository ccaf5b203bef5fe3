#include "FileSizeLimit.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <exception>
#include <stdexcept>

namespace fixture {

std::string RunWithFileSizeLimit(std::uintmax_t bytes, const std::function<void()>& work) {
    int channel[2];
    if (::pipe(channel) != 0)
        throw std::runtime_error("fixture: cannot make a pipe");
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fixture: cannot fork");
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        std::string message = "fixture: cannot limit the file size";
        if (::setrlimit(RLIMIT_FSIZE, &limit) == 0) {
            try {
                work();
                message.clear();
            } catch (const std::exception& error) {
                message = error.what();
                if (message.empty())
                    message = "(an empty message)";
            }
        }
        const bool sent = ::write(channel[1], message.data(), message.size()) == static_cast<ssize_t>(message.size());
        ::_exit(sent ? 0 : 1); // neither the test's own handlers nor its destructors run twice
    }
    ::close(channel[1]);
    std::string message;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("fixture: the child with a file size limit failed");
    return message;
}

} // namespace fixture
