/* An engine that lacks MD5Final, to show how a missing entry point is reported. */
#include <stddef.h>
#include <string.h>

__attribute__((visibility("default"))) void MD5Init(void* context) {
    memset(context, 0, 88);
}

__attribute__((visibility("default"))) void MD5Update(void* context, const unsigned char* input, size_t length) {
    (void)context;
    (void)input;
    (void)length;
}
