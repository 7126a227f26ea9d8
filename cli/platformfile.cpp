#include "platformfile.h"

#include "interrupt.h"

#include <cerrno>
#include <charconv>
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

namespace perne::cli::platform {
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

std::optional<std::string> checkReplaceAccess(const std::string &folder, const std::string &)
{
    return checkFolderAccess(folder);
}

// Windows has no names for a process's own descriptors.
std::optional<int> descriptorNamed(const std::string &)
{
    return std::nullopt;
}

std::optional<std::string> checkDescriptorWritable(int)
{
    return std::nullopt;
}

namespace {

std::optional<FileId> regularFileIdOfHandle(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION facts{};
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &facts) ||
        (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    return FileId{facts.dwVolumeSerialNumber,
                  (static_cast<unsigned long long>(facts.nFileIndexHigh) << 32) |
                      facts.nFileIndexLow};
}

} // namespace

std::optional<FileId> regularFileId(const std::string &path)
{
    const HANDLE handle =
        CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const auto id = regularFileIdOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return id;
}

std::optional<FileId> regularFileIdOf(int fd)
{
    return regularFileIdOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}

#else

std::variant<OpenFile, std::string> createTemporary(const std::string &folder)
{
    std::string path = folder + "/.perne-stats-XXXXXX";
    // Noted before a signal can come between its making and its noting.
    const SignalsHeld held;
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return lastError();
    noteTemporary(path);
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

std::optional<std::string> checkReplaceAccess(const std::string &folder, const std::string &path)
{
    if (auto reason = checkFolderAccess(folder))
        return reason;
    struct stat inFolder
    {};
    struct stat file
    {};
    if (::stat(folder.c_str(), &inFolder) != 0 || ::stat(path.c_str(), &file) != 0)
        return lastError();
    // In a sticky folder such as /tmp only root, the folder's owner and the file's own may
    // rename over a file.
    const uid_t me = ::geteuid();
    if ((inFolder.st_mode & S_ISVTX) != 0 && me != 0 && inFolder.st_uid != me && file.st_uid != me)
        return std::string(std::strerror(EPERM));
    return std::nullopt;
}

std::optional<int> descriptorNamed(const std::string &path)
{
    constexpr std::pair<std::string_view, int> kStandard[] = {
        {"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}};
    for (const auto &[name, fd] : kStandard) {
        if (path == name)
            return fd;
    }
    for (const std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!path.starts_with(folder))
            continue;
        const std::string_view number = std::string_view(path).substr(folder.size());
        int fd = -1;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), fd);
        if (error == std::errc() && end == number.data() + number.size() && fd >= 0 &&
            number.find_first_not_of("0123456789") == std::string_view::npos)
            return fd;
    }
    return std::nullopt;
}

std::optional<std::string> checkDescriptorWritable(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return lastError();
    if ((flags & O_ACCMODE) == O_RDONLY)
        return std::string(std::strerror(EBADF));
    return std::nullopt;
}

namespace {

std::optional<FileId> regularFileIdOf(const struct stat &facts)
{
    if (!S_ISREG(facts.st_mode))
        return std::nullopt;
    return FileId{static_cast<unsigned long long>(facts.st_dev),
                  static_cast<unsigned long long>(facts.st_ino)};
}

} // namespace

std::optional<FileId> regularFileId(const std::string &path)
{
    struct stat facts
    {};
    if (::stat(path.c_str(), &facts) != 0)
        return std::nullopt;
    return regularFileIdOf(facts);
}

std::optional<FileId> regularFileIdOf(int fd)
{
    struct stat facts
    {};
    if (::fstat(fd, &facts) != 0)
        return std::nullopt;
    return regularFileIdOf(facts);
}

std::optional<std::string> replaceFile(const std::string &from, const std::string &to)
{
    const SignalsHeld held;
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return lastError();
    forgetTemporary(from);
    return std::nullopt;
}

void removeFile(const std::string &path)
{
    const SignalsHeld held;
    ::unlink(path.c_str());
    forgetTemporary(path);
}

#endif

} // namespace perne::cli::platform
