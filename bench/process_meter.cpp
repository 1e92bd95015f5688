// Runs a program as its own child and reports that child's CPU time and peak memory. A child
// started straight from a large process inherits that process's memory as the starting point of
// its peak; this small one starts it from almost nothing.
//
//   process_meter REPORT PROGRAM [ARGS...]
//
// REPORT gets "CPU-microseconds peak-KiB"; the exit status is the program's.
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 3)
        return 2;
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0)
        return 2;
    FILE *report = std::fopen(argv[1], "w");
    if (report == nullptr)
        return 2;
    const long long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                          usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::fprintf(report, "%lld %ld\n", cpu, usage.ru_maxrss);
    std::fclose(report);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
