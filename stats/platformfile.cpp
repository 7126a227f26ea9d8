#include "platformfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace perne::stats::platform {
namespace {

std::string lastError()
{
    return std::strerror(errno);
}

} // namespace

#ifdef _WIN32

namespace {

std::wstring wide(const std::string &utf8)
{
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                        length);
    return text;
}

std::string lastSystemError()
{
    return std::system_category().message(static_cast<int>(GetLastError()));
}

} // namespace

std::variant<OpenFile, std::string> createTemporary(const std::string &folder)
{
    // A name from the process, the clock and a counter; _O_EXCL never opens one that exists.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "\\.perne-stats-%lx-%llx-%x", GetCurrentProcessId(),
                      static_cast<unsigned long long>(GetTickCount64()), attempt);
        const std::string path = folder + name;
        int fd = -1;
        const errno_t error =
            _wsopen_s(&fd, wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                      _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (error == 0)
            return OpenFile{fd, path};
        if (error != EEXIST)
            return std::string(std::strerror(error));
    }
    return std::string(std::strerror(EEXIST));
}

std::variant<OpenFile, std::string> openExisting(const std::string &path)
{
    int fd = -1;
    const errno_t error =
        _wsopen_s(&fd, wide(path).c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY, _SH_DENYNO, 0);
    if (error != 0)
        return std::string(std::strerror(error));
    return OpenFile{fd, path};
}

std::optional<std::string> writeAll(const OpenFile &file, std::string_view data)
{
    while (!data.empty()) {
        const unsigned chunk = data.size() > (1u << 30) ? (1u << 30) : unsigned(data.size());
        const int n = _write(file.fd, data.data(), chunk);
        if (n <= 0)
            return lastError();
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return std::nullopt;
}

std::optional<std::string> syncToDisk(const OpenFile &file)
{
    if (_commit(file.fd) != 0)
        return lastError();
    return std::nullopt;
}

std::optional<std::string> closeFile(OpenFile &file)
{
    const int result = _close(file.fd);
    file.fd = -1;
    if (result != 0)
        return lastError();
    return std::nullopt;
}

// A new file takes the folder's inherited access rights; ReplaceFileW keeps the replaced
// file's attributes, owner and access rights.
void takeNewFileMode(const OpenFile &) {}
void takeModeAndOwnerOf(const OpenFile &, const std::string &) {}

std::optional<std::string> checkWriteAccess(const std::string &path)
{
    if (_waccess(wide(path).c_str(), 2) != 0)
        return lastError();
    return std::nullopt;
}

std::optional<std::string> checkFolderAccess(const std::string &folder)
{
    // A folder's read-only attribute does not stop new files; only its existence is checked.
    if (_waccess(wide(folder).c_str(), 0) != 0)
        return lastError();
    return std::nullopt;
}

std::optional<std::string> replaceFile(const std::string &from, const std::string &to)
{
    const std::wstring source = wide(from);
    const std::wstring target = wide(to);
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr))
            return std::nullopt;
    } else if (MoveFileExW(source.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return std::nullopt;
    }
    return lastSystemError();
}

void removeFile(const std::string &path)
{
    _wremove(wide(path).c_str());
}

#else

std::variant<OpenFile, std::string> createTemporary(const std::string &folder)
{
    std::string path = folder + "/.perne-stats-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return lastError();
    return OpenFile{fd, path};
}

std::variant<OpenFile, std::string> openExisting(const std::string &path)
{
    // As a shell's ">" opens it, less the creating: the caller has found it there.
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY);
    if (fd < 0)
        return lastError();
    return OpenFile{fd, path};
}

std::optional<std::string> writeAll(const OpenFile &file, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(file.fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return lastError();
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return std::nullopt;
}

std::optional<std::string> syncToDisk(const OpenFile &file)
{
    if (::fsync(file.fd) != 0)
        return lastError();
    return std::nullopt;
}

std::optional<std::string> closeFile(OpenFile &file)
{
    const int result = ::close(file.fd);
    file.fd = -1;
    // After EINTR the descriptor is closed all the same on Linux.
    if (result != 0 && errno != EINTR)
        return lastError();
    return std::nullopt;
}

void takeNewFileMode(const OpenFile &file)
{
    // mkstemp makes the file private; a result file is an ordinary one.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.fd, 0666 & ~mask);
}

void takeModeAndOwnerOf(const OpenFile &file, const std::string &original)
{
    struct stat facts
    {};
    if (::stat(original.c_str(), &facts) != 0)
        return;
    // Owner first: changing it clears the set-user-ID bits that fchmod then puts back. Only
    // root may give a file away; anyone else keeps the new file as their own.
    if (::fchown(file.fd, facts.st_uid, facts.st_gid) != 0) {
        // not allowed: the file stays the writer's
    }
    ::fchmod(file.fd, facts.st_mode & 07777);
}

std::optional<std::string> checkWriteAccess(const std::string &path)
{
    if (::access(path.c_str(), W_OK) != 0)
        return lastError();
    return std::nullopt;
}

std::optional<std::string> checkFolderAccess(const std::string &folder)
{
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return lastError();
    return std::nullopt;
}

std::optional<std::string> replaceFile(const std::string &from, const std::string &to)
{
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return lastError();
    return std::nullopt;
}

void removeFile(const std::string &path)
{
    ::unlink(path.c_str());
}

#endif

} // namespace perne::stats::platform
