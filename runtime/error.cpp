#include "runtime/error.h"

namespace runtime {

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

}  // namespace runtime
