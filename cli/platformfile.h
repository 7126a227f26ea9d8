#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The few file operations that POSIX and Windows do differently, each with a body for both
// (platformfile.cpp; the signals that interrupt a write are in interrupt.cpp). Nothing else in
// perne-stats calls the operating system's file functions; the rest goes through
// std::filesystem. Paths are UTF-8. A failure comes back as its reason,
// in the system's words ("No space left on device").
namespace perne::cli::platform {

// A file open for writing: a C run-time file descriptor on both systems.
struct OpenFile
{
    int fd = -1;
    std::string path;
};

// Creates a new, empty file with a name of its own in `folder`, open for writing; it never
// takes the place of an existing file.
std::variant<OpenFile, std::string> createTemporary(const std::string &folder);

// Opens an existing file for writing as a shell redirection does: a device or a pipe is
// written where it is, never replaced.
std::variant<OpenFile, std::string> openExisting(const std::string &path);

// Writes all of `data`, going on after short writes and interruptions.
std::optional<std::string> writeAll(const OpenFile &file, std::string_view data);

// Has the system put what was written on the disk.
std::optional<std::string> syncToDisk(const OpenFile &file);

// Closes the file; a late write error shows here.
std::optional<std::string> closeFile(OpenFile &file);

// Gives the new file the permissions a newly created file gets (0666 less the umask).
void takeNewFileMode(const OpenFile &file);

// Gives the new file the permission bits of `original` and, where allowed, its owner and group.
void takeModeAndOwnerOf(const OpenFile &file, const std::string &original);

// Whether this process may write to the existing file at `path`, as a shell would check.
std::optional<std::string> checkWriteAccess(const std::string &path);

// Whether this process may create files in `folder`.
std::optional<std::string> checkFolderAccess(const std::string &folder);

// Whether the existing file at `path` may be replaced by a new file renamed over it: its folder
// takes new files and, where the folder is sticky, lets this process rename over this file.
std::optional<std::string> checkReplaceAccess(const std::string &folder, const std::string &path);

// The descriptor of this process that `path` names (/dev/stdout, /dev/stderr, /dev/stdin,
// /dev/fd/N, /proc/self/fd/N), or none for any other path. Read from the name alone.
std::optional<int> descriptorNamed(const std::string &path);

// Whether the descriptor is open, and open for writing.
std::optional<std::string> checkDescriptorWritable(int fd);

// What a regular file is, whatever it is called: its device and its number there.
struct FileId
{
    unsigned long long device = 0;
    unsigned long long number = 0;
    bool operator==(const FileId &) const = default;
};

// The regular file at `path` (through links) or open on `fd`; none for anything else (a
// device, a pipe, a missing file).
std::optional<FileId> regularFileId(const std::string &path);
std::optional<FileId> regularFileIdOf(int fd);

// Puts `from` in the place of `to` in one step: `to` is either the old file or the new one.
std::optional<std::string> replaceFile(const std::string &from, const std::string &to);

// Removes a file, quietly.
void removeFile(const std::string &path);

} // namespace perne::cli::platform
