#pragma once

#include <sys/types.h>

// A process's own memory: RssAnon of /proc/PID/status in kilobytes, which leaves out the files it maps (the database,
// the libraries). 0 when it cannot be read (the process is gone).
double AnonymousKb(pid_t process);
