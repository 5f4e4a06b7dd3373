/* The program exchanges an 88-byte MD5Context with the engine; refuse to build an engine
   whose record differs. */
#include <md5.h>
#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

_Static_assert(sizeof(MD5_CTX) == 88, "MD5Context must be 88 bytes");
_Static_assert(offsetof(MD5_CTX, state) == 0, "state at offset 0");
_Static_assert(offsetof(MD5_CTX, count) == 16, "count at offset 16");
_Static_assert(offsetof(MD5_CTX, buffer) == 24, "buffer at offset 24");
