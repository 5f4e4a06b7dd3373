// The checksum forms Pellwick reads, in one table: adding a form is a reader (form_reader.h) in a
// file of its own and a row here.
#pragma once

#include <memory>
#include <vector>

#include "verify/form_reader.h"

namespace verify {

// A reader of each form that a file of that kind may hold, all told the same lines.
std::vector<std::unique_ptr<FormReader>> ReadersFor(const FormReader::Context& context);

}  // namespace verify
