// Paths as the platform reads them: separators, letter case, the current directory, and
// whether two names reach the same file.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

// The path made absolute against the current directory; unchanged when it already is.
std::string AbsolutePath(const std::string& path);

// The folder part of a path ("" when it has none); a root keeps its separator.
std::string ParentPath(const std::string& path);

// The name taken relative to the folder; an absolute name stands for itself.
std::string JoinPath(const std::string& folder, const std::string& name);

// The part after the last directory separator: "/" here, "/" and "\" on Windows.
std::string_view BareName(std::string_view path);

// True when two bare names name one entry of a folder: byte for byte here, in any letter
// case on Windows.
bool SameFileName(std::string_view a, std::string_view b);

// True when the two paths are one once made absolute against the current folder, with "." and
// doubled separators left out (on Windows as the system itself reads a path: either separator,
// any letter case, ".." taken away with the name before it). Nothing is opened.
bool SamePath(const std::string& a, const std::string& b);

// True when both paths reach one existing file system object.
bool SameFile(const std::string& a, const std::string& b);

// The person's GnuPG home, where their keyrings are: $GNUPGHOME, else ~/.gnupg, or on Windows
// %APPDATA%\gnupg (Gpg4win's); "" when there is no home to go by.
std::string GnupgHome();

// GnuPG's verifier, by its full path: Debian's /usr/bin/gpgv, or the gpgv.exe installed beside the
// program on Windows.
std::string GpgvProgram();

}  // namespace runtime
