#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace perne::stats {

// Why a file could not be written there, or none when it looks writable: what the path
// leads to (through symbolic links) must not be a folder, an existing file must be writable
// by us, and a new or replaced file needs a folder that exists and takes new files.
std::optional<std::string> checkWritable(const std::string &path);

// Writes each (path, content) the way a shell redirection would, but safely:
// - a regular file, new or old, is written to a temporary file beside it, put on the disk
//   and renamed into place, keeping the old file's permissions (and owner where allowed);
// - a symbolic link has its target written that way, or created if it is missing;
// - a device or a pipe is written where it is, never renamed over.
// Devices and pipes are written first; the renames come only when every temporary file is
// complete, so on a failure no regular file is touched and no temporary file is left. Returns
// "path: reason" of a failure.
std::optional<std::string>
writeFiles(const std::vector<std::pair<std::string, std::string>> &files);

// Writes `text` to `out` and flushes it; the reason if either failed (a full disk behind
// standard output).
std::optional<std::string> writeStream(std::ostream &out, const std::string &text);

} // namespace perne::stats
