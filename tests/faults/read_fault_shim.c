/* Preloaded into a program under test: on the Nth read() of the file named by
   PELLWICK_FAULT_PATH it performs PELLWICK_FAULT_ACTION, at the system-call boundary:
     eio       the read fails with EIO
     unlink    the file is deleted, then the read goes on
     truncate  the file is cut to half its length, then the read goes on
     grow      a block is appended, then the read goes on
     rewrite   the first byte is changed in place, then the read goes on
   and, on every read of that file rather than the Nth:
     slow      the read first sleeps PELLWICK_FAULT_AFTER milliseconds, as on slow media; so
               does every stat() of a path that starts with PELLWICK_FAULT_PATH, as a lookup on
               a share whose server is slow to answer */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

typedef ssize_t (*read_fn)(int, void*, size_t);

static int g_reads;
static char g_counted[PATH_MAX]; /* the target g_reads counts for: a process may name several */

static int IsTarget(int fd, const char* target) {
    char link[64], path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return 0;
    path[n] = '\0';
    if (strncmp(path, target, strlen(target)) != 0) return 0;
    /* a deleted file reads back as "<path> (deleted)" */
    return path[strlen(target)] == '\0' || strcmp(path + strlen(target), " (deleted)") == 0;
}

static void Act(const char* action, const char* target) {
    struct stat st;
    if (stat(target, &st) != 0) return;
    if (strcmp(action, "unlink") == 0) {
        unlink(target);
    } else if (strcmp(action, "truncate") == 0) {
        truncate(target, st.st_size / 2);
    } else {
        const int fd = open(target, O_WRONLY | (strcmp(action, "grow") == 0 ? O_APPEND : 0));
        if (fd < 0) return;
        static const char block[4096] = {'!'};
        if (strcmp(action, "grow") == 0) {
            (void)!write(fd, block, sizeof block);
        } else {
            (void)!pwrite(fd, block, 1, 0);
        }
        close(fd);
    }
}

static void SleepIfSlow(void) {
    const char* after = getenv("PELLWICK_FAULT_AFTER");
    const long ms = after ? atol(after) : 100;
    const struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, NULL);
}

typedef int (*stat_fn)(const char*, struct stat*);

__attribute__((visibility("default"))) int stat(const char* path, struct stat* st) {
    static stat_fn real;
    if (real == NULL) real = (stat_fn)dlsym(RTLD_NEXT, "stat");
    const char* target = getenv("PELLWICK_FAULT_PATH");
    const char* action = getenv("PELLWICK_FAULT_ACTION");
    if (target != NULL && action != NULL && strcmp(action, "slow") == 0 && strncmp(path, target, strlen(target)) == 0) {
        SleepIfSlow();
    }
    return real(path, st);
}

__attribute__((visibility("default"))) ssize_t read(int fd, void* buf, size_t count) {
    static read_fn real;
    if (real == NULL) real = (read_fn)dlsym(RTLD_NEXT, "read");
    const char* target = getenv("PELLWICK_FAULT_PATH");
    const char* action = getenv("PELLWICK_FAULT_ACTION");
    const char* after = getenv("PELLWICK_FAULT_AFTER");
    if (target != NULL && action != NULL && strcmp(action, "slow") == 0 && IsTarget(fd, target)) {
        SleepIfSlow();
        return real(fd, buf, count);
    }
    if (target != NULL && strcmp(target, g_counted) != 0) {
        snprintf(g_counted, sizeof g_counted, "%s", target);
        g_reads = 0;
    }
    if (target != NULL && action != NULL && IsTarget(fd, target) && ++g_reads == (after ? atoi(after) : 2)) {
        if (strcmp(action, "eio") == 0) {
            errno = EIO;
            return -1;
        }
        Act(action, target);
    }
    return real(fd, buf, count);
}
