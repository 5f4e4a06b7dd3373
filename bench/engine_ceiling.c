/* The engine's own ceiling: libmd's MD5, as the engine library carries it, fed in 64-byte calls
 * from reads of the given size, with nothing around it. Prints the digest in uppercase.
 *   bench_engine_ceiling FILE READ_SIZE */
#include <fcntl.h>
#include <md5.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s FILE READ_SIZE\n", argv[0]);
        return 2;
    }
    const size_t size = strtoul(argv[2], NULL, 10);
    unsigned char* buffer = aligned_alloc(4096, size);
    const int fd = open(argv[1], O_RDONLY);
    if (buffer == NULL || fd < 0 || size % 64 != 0) return 1;
    MD5_CTX context;
    MD5Init(&context);
    size_t pending = 0;
    for (;;) {
        const ssize_t got = read(fd, buffer + pending, size - pending);
        if (got < 0) return 1;
        if (got == 0) break;
        const size_t available = pending + (size_t)got, whole = available - available % 64;
        for (size_t at = 0; at < whole; at += 64) MD5Update(&context, buffer + at, 64);
        pending = available - whole;
        memmove(buffer, buffer + whole, pending);
    }
    MD5Update(&context, buffer, pending);
    unsigned char digest[16];
    MD5Final(digest, &context);
    for (int i = 0; i < 16; ++i) printf("%02X", digest[i]);
    printf("\n");
    return 0;
}
