#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace perne::stats {

// Why a file could not be written there, or none when it looks writable: the folder must
// exist and take new files, and the path must not be a folder itself.
std::optional<std::string> checkWritable(const std::string &path);

// Writes each (path, content) to a temporary file beside its path, and only when all of
// them are complete renames them into place; on any failure the temporaries go and no
// target is touched. Returns the reason of a failure.
std::optional<std::string>
writeFiles(const std::vector<std::pair<std::string, std::string>> &files);

} // namespace perne::stats
