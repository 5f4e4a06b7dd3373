// Which file-name texts may make a lookup wait on another machine. Looking a name up on a
// share whose server does not answer blocks for many seconds; the window hands only such
// names to a worker, since a thread hand-off costs more than most lookups take.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// True when looking the text up may wait on a server: on Windows a UNC path (\\server\...,
// //server/..., \\?\UNC\...) or a path on a network drive; on Linux a path at or under the
// mount point of a network or automounted file system, relative paths taken against the
// current directory. Cheap for any other text. Not caught: a symbolic link on a local disk
// that leads into a network mount, and a local folder that a share is mounted on later than
// the last reading of the mount table (read at most once a second).
bool MayWaitOnNetwork(const std::string& text);

// FindFirstMatch for a text that MayWaitOnNetwork, run on a worker. A test hook makes it slow:
// while PELLWICK_TEST_SLOW_LOOKUP is "<milliseconds>:<prefix>", texts that start with the
// prefix count as remote and their lookup first sleeps that long, as on a server that does
// not answer.
std::string FindFirstMatchRemote(const std::string& text);

// The mount points, unescaped, of the network and automounted file systems (NFS, CIFS/SMB,
// 9p, Ceph, AFS, FUSE such as sshfs, autofs...) that a /proc/self/mountinfo text lists.
std::vector<std::string> NetworkMountPoints(std::string_view mountinfo);
// True when the absolute, lexically normal path is one of the mount points or lies under one.
bool UnderMountPoint(std::string_view path, const std::vector<std::string>& mountPoints);
// True for \\server\..., //server/... and \\?\UNC\... (either separator, any letter case); not
// for the \\?\ and \\.\ prefixes of local paths and devices.
bool IsUncPath(std::string_view text);

// The test hook's prefix applies to the text.
bool SlowForTesting(const std::string& text);

}  // namespace runtime
