#!/usr/bin/env python3
"""Times whole commands in turn, round after round, so that a shared machine's moods fall on each alike, and prints
each one's median wall time and median processor time (user and system, of the process and its threads), each also
against the first command's. For comparing two builds, or a build with its floor, beside marvik-bench.

usage: interleaved.py ROUNDS COMMAND...   (each COMMAND one shell command line; its output goes where it says, else
                                           nowhere)"""
import resource
import statistics
import subprocess
import sys
import time


def main(rounds, commands):
    wall = {command: [] for command in commands}
    cpu = {command: [] for command in commands}
    for _ in range(rounds):
        for command in commands:
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            subprocess.run(command, shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            wall[command].append(time.perf_counter() - start)
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu[command].append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
    first_wall, first_cpu = statistics.median(wall[commands[0]]), statistics.median(cpu[commands[0]])
    for command in commands:
        median_wall, median_cpu = statistics.median(wall[command]), statistics.median(cpu[command])
        print(f"{median_wall * 1000:8.1f} ms ({median_wall / first_wall:.2f} x)  "
              f"{median_cpu * 1000:8.1f} ms CPU ({median_cpu / first_cpu:.2f} x)  {command}")


if __name__ == "__main__":
    if len(sys.argv) < 3 or not sys.argv[1].isdigit() or int(sys.argv[1]) < 1:
        sys.exit(__doc__)
    main(int(sys.argv[1]), sys.argv[2:])
