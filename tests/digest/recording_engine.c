/* A stand-in engine for tests: records the length of every MD5Update call so a test can
   check the exact call pattern. It does not compute MD5. */
#include <stddef.h>
#include <string.h>

#define MAX_CALLS 20000

static size_t g_lengths[MAX_CALLS];
static size_t g_count;
static int g_inits, g_finals;

__attribute__((visibility("default"))) void MD5Init(void* context) {
    memset(context, 0, 88);
    ++g_inits;
}

__attribute__((visibility("default"))) void MD5Update(void* context, const unsigned char* input, size_t length) {
    (void)context;
    (void)input;
    if (g_count < MAX_CALLS) g_lengths[g_count] = length;
    ++g_count;
}

__attribute__((visibility("default"))) void MD5Final(unsigned char* digest, void* context) {
    memset(digest, 0, 16);
    memset(context, 0, 88);
    ++g_finals;
}

/* The calls so far, for the test: returns how many MD5Update calls there were. */
__attribute__((visibility("default"))) size_t RecordedCalls(size_t* lengths, size_t max, int* inits, int* finals) {
    for (size_t i = 0; i < g_count && i < max && i < MAX_CALLS; ++i) lengths[i] = g_lengths[i];
    *inits = g_inits;
    *finals = g_finals;
    const size_t n = g_count;
    g_count = 0;
    g_inits = g_finals = 0;
    return n;
}
