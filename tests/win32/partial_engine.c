/* An engine library that lacks MD5Final: it loads, and the program must still refuse it. */
#include <string.h>

__declspec(dllexport) void MD5Init(void* context) {
    memset(context, 0, 88);
}
__declspec(dllexport) void MD5Update(void* context, const unsigned char* data, size_t length) {
    (void)context;
    (void)data;
    (void)length;
}
