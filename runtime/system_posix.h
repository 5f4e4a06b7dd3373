// Owner of the file descriptors that the POSIX halves of runtime/ open.
#pragma once

#include <unistd.h>

#include "runtime/unique_resource.h"

namespace runtime {

using UniqueFd = UniqueResource<int, &::close, -1>;

}  // namespace runtime
