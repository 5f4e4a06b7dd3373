#include <new>

#include "runtime/files.h"

namespace runtime {

namespace {

constexpr std::align_val_t kPage{4096};

}  // namespace

void PageAlignedDelete::operator()(unsigned char* bytes) const {
    ::operator delete[](bytes, kPage);
}

ReadBuffer NewReadBuffer(std::size_t size) {
    return ReadBuffer(static_cast<unsigned char*>(::operator new[](size, kPage)));
}

}  // namespace runtime
