#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace perne::cli {

// Why a file could not be written there, or none when it looks writable: what the path
// leads to (through symbolic links) must not be a folder, an existing file must be writable
// by us, and a new file needs a folder that exists and takes new files. An existing file in a
// folder that does not let us replace it is written in place. A name of one of our open
// descriptors (/dev/stdout, /dev/fd/3) must name one open for writing.
std::optional<std::string> checkWritable(const std::string &path);

// Checks every output option given, (option, file) in the order given, before any work: each
// must be writable ("-" is standard output), no two may be the same file under two names
// (links, "./", "..", hard links, standard output's file), and none named by its path may be
// the file standard output was redirected into (the table would be lost). The one line to
// show, or none.
std::optional<std::string>
checkOutputs(const std::vector<std::pair<std::string, std::string>> &outputs);

// Writes each (path, content) the way a shell redirection would, but safely:
// - a regular file, new or old, is written to a temporary file beside it, put on the disk
//   and renamed into place, keeping the old file's permissions (and owner where allowed);
//   where its folder does not let us replace it, it is written in place instead;
// - a symbolic link has its target written that way, or created if it is missing;
// - a device or a pipe is written where it is, never renamed over;
// - one of our own open descriptors (/dev/stdout, /proc/self/fd/3) is written through that
//   descriptor, where it stands (appending if it was opened to append).
// Devices, pipes and descriptors are written first; the in-place writes and the renames come
// only when every temporary file is complete, so on a failure no regular file is touched and
// no temporary file is left. SIGINT, SIGTERM and SIGHUP while the temporary files are written
// remove them and end the program as the signal would; the last steps finish before a signal
// is let in. Returns "path: reason" of a failure. `onTemporary` is told of each temporary file
// as soon as it exists (tests interrupt the program there).
std::optional<std::string>
writeFiles(const std::vector<std::pair<std::string, std::string>> &files,
           const std::function<void(const std::string &)> &onTemporary = {});

// Writes `text` to `out` and flushes it; the reason if either failed (a full disk behind
// standard output).
std::optional<std::string> writeStream(std::ostream &out, const std::string &text);

} // namespace perne::cli
