# Writes a C++ source that holds the bytes of INPUT as the resource "DLL" 101.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT}; do not edit.
#include \"runtime/resources_posix.h\"

namespace {
alignas(16) const unsigned char kEngineImage[${size}] = {
${bytes}
};
}  // namespace

namespace runtime::embedded {
const Resource kResources[] = {{101, \"DLL\", kEngineImage, sizeof kEngineImage}};
const std::size_t kResourceCount = 1;
}  // namespace runtime::embedded
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
