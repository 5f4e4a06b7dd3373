/* Runs a program and prints its peak resident size after its own output, as the last line
 * "peak_rss_kib N". The kernel's figure for a child also counts the copy of its parent made by
 * fork, before exec; this launcher is small, so that copy stays well below any real program's
 * peak, which a C++ benchmark forking directly could not promise. */
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

static volatile sig_atomic_t child;

/* An interrupted benchmark stops its child, and the child's child with it. */
static void Forward(int sig) {
    if (child > 0) kill(child, sig);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) return 126;
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    child = pid;
    struct sigaction forward = {0};
    forward.sa_handler = Forward;
    sigaction(SIGINT, &forward, NULL);
    sigaction(SIGTERM, &forward, NULL);
    sigaction(SIGHUP, &forward, NULL);

    int status = 0;
    struct rusage usage;
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) return 126;
    }
    printf("peak_rss_kib %ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
