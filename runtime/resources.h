// Data that the executable carries inside itself.
#pragma once

#include <span>
#include <string>

namespace runtime {

// The whole data of the resource with the given numeric id and type name. The data lives
// as long as the process. Throws when there is no such resource.
std::span<const unsigned char> LoadResourceData(int id, const std::string& typeName);

}  // namespace runtime
