// The names of checksum files: which a package's folder may hold, what each says of its forms, the
// order the caption names them in. For checksum_files.cpp, which declares their public half.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace verify {

// Where the file stands in the caption's order among the package's checksum files; nothing for a
// name that is no checksum file of the package.
std::optional<std::size_t> CaptionOrder(std::string_view name, std::string_view packageName);
// True for NAME.md5 and the like beside the package NAME, which come first.
bool IsPackagesOwn(std::size_t captionOrder);
// A Debian source package SOURCE_VERSION.dsc lists SOURCE_UPSTREAM.orig.tar.gz, or, native,
// SOURCE_VERSION.tar.gz, where UPSTREAM is the version without its Debian revision.
bool NamedForPackage(std::string_view dsc, std::string_view packageName);

}  // namespace verify
