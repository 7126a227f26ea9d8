#include "output.h"

#include "interrupt.h"
#include "platformfile.h"
#include "printable.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <variant>

namespace perne::cli {
namespace {

namespace fs = std::filesystem;

// As many links as the system follows before it gives up with "too many levels".
constexpr int kMaxLinks = 40;

constexpr int kStandardOutput = 1;

fs::path toPath(const std::string &utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string toUtf8(const fs::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string folderOf(const std::string &path)
{
    const fs::path parent = toPath(path).parent_path();
    return parent.empty() ? std::string(".") : toUtf8(parent);
}

std::string isFolder(const std::string &path)
{
    return "\"" + printable(path) + "\" はフォルダです / is a folder";
}

// What a shell's ">" would write into, and how we write it.
enum class How {
    Replace,    // a regular file: a temporary file beside it, renamed over it
    Create,     // nothing there yet: the same, renamed into place
    InPlace,    // a regular file in a folder that does not let us replace it: written over
    Direct,     // a device, a pipe: written where it is
    Descriptor, // one of our own open descriptors: written through it
};

struct Target
{
    std::string path; // after every symbolic link
    How how;
    int fd = -1; // How::Descriptor
};

// The descriptor a path names (/dev/stdout, /proc/self/fd/3), however it is spelled.
std::optional<int> descriptorOf(const fs::path &path)
{
    std::error_code error;
    const fs::path full = fs::absolute(path, error);
    return platform::descriptorNamed(toUtf8((error ? path : full).lexically_normal()));
}

std::variant<Target, std::string> resolve(const std::string &given)
{
    if (given == "-")
        return Target{given, How::Descriptor, kStandardOutput};
    fs::path path = toPath(given);
    for (int links = 0; links <= kMaxLinks; ++links) {
        // Before the link behind it is followed to the file or the pipe it stands for.
        if (const auto fd = descriptorOf(path))
            return Target{given, How::Descriptor, *fd};
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        switch (status.type()) {
        case fs::file_type::not_found:
            return Target{toUtf8(path), How::Create};
        case fs::file_type::regular:
            return Target{toUtf8(path), How::Replace};
        case fs::file_type::directory:
            return isFolder(given);
        case fs::file_type::symlink: {
            const fs::path to = fs::read_symlink(path, error);
            if (error)
                return error.message();
            path = to.is_absolute() ? to : path.parent_path() / to;
            continue;
        }
        case fs::file_type::none:
            return error.message();
        default: // block or character device, pipe, socket
            return Target{toUtf8(path), How::Direct};
        }
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels).message();
}

// As resolve(), and a file we may write but not replace is written in place, as a shell would.
std::variant<Target, std::string> plan(const std::string &given)
{
    auto resolved = resolve(given);
    if (auto *target = std::get_if<Target>(&resolved)) {
        if (target->how == How::Replace &&
            platform::checkReplaceAccess(folderOf(target->path), target->path) &&
            !platform::checkWriteAccess(target->path))
            target->how = How::InPlace;
    }
    return resolved;
}

// What tells two outputs apart: a regular file by its device and number, a file still to be
// made by its full path. None for a device or a pipe, which lose nothing written twice.
std::optional<std::string> sameFileKey(const Target &target)
{
    std::optional<platform::FileId> id;
    switch (target.how) {
    case How::Direct:
        return std::nullopt;
    case How::Create: {
        // Absolute first: a relative name's folder ("." in "r.csv") is resolved only then.
        std::error_code error;
        fs::path full = fs::absolute(toPath(target.path), error);
        if (!error)
            full = fs::weakly_canonical(full, error);
        return "new " + toUtf8(error ? toPath(target.path) : full);
    }
    case How::Descriptor:
        id = platform::regularFileIdOf(target.fd);
        break;
    default:
        id = platform::regularFileId(target.path);
        break;
    }
    if (!id)
        return std::nullopt;
    return "file " + std::to_string(id->device) + ":" + std::to_string(id->number);
}

// Writes the whole of an existing file where it is: a device, a pipe, or (put on the disk as
// well) a regular file we may not replace.
std::optional<std::string> writeExisting(const std::string &path, const std::string &content,
                                         bool sync)
{
    auto opened = platform::openExisting(path);
    if (auto *reason = std::get_if<std::string>(&opened))
        return *reason;
    auto &file = std::get<platform::OpenFile>(opened);
    auto problem = platform::writeAll(file, content);
    if (!problem && sync)
        problem = platform::syncToDisk(file);
    const auto closed = platform::closeFile(file);
    return problem ? problem : closed;
}

// A complete temporary file beside the target, with the target's permissions; the caller
// renames it into place or removes it. Its path is in `temporary` as soon as it exists.
std::optional<std::string> writeTemporary(const Target &target, const std::string &content,
                                          std::string &temporary,
                                          const std::function<void(const std::string &)> &told)
{
    auto created = platform::createTemporary(folderOf(target.path));
    if (auto *reason = std::get_if<std::string>(&created))
        return *reason;
    auto &file = std::get<platform::OpenFile>(created);
    temporary = file.path;
    if (told)
        told(temporary);
    auto problem = platform::writeAll(file, content);
    if (!problem) {
        if (target.how == How::Replace)
            platform::takeModeAndOwnerOf(file, target.path);
        else
            platform::takeNewFileMode(file);
        problem = platform::syncToDisk(file);
    }
    const auto closed = platform::closeFile(file);
    return problem ? problem : closed;
}

} // namespace

std::optional<std::string> checkWritable(const std::string &path)
{
    const auto planned = plan(path);
    if (const auto *reason = std::get_if<std::string>(&planned))
        return *reason;
    const Target &target = std::get<Target>(planned);
    switch (target.how) {
    case How::Descriptor:
        return platform::checkDescriptorWritable(target.fd);
    case How::Direct:
    case How::InPlace:
        return platform::checkWriteAccess(target.path);
    case How::Replace:
        if (auto reason = platform::checkWriteAccess(target.path))
            return reason;
        break;
    case How::Create:
        break;
    }
    const std::string folder = folderOf(target.path);
    std::error_code error;
    if (!fs::is_directory(toPath(folder), error))
        return "フォルダ \"" + printable(folder) + "\" がありません / no such folder";
    if (platform::checkFolderAccess(folder))
        return "フォルダ \"" + printable(folder) + "\" に書けません / folder not writable";
    return std::nullopt;
}

std::optional<std::string>
checkOutputs(const std::vector<std::pair<std::string, std::string>> &outputs)
{
    std::vector<std::optional<std::string>> keys;
    std::vector<bool> throughDescriptor;
    for (const auto &[option, path] : outputs) {
        if (path != "-") {
            if (const auto problem = checkWritable(path))
                return option + " \"" + printable(path) + "\": " + *problem;
        }
        const auto planned = plan(path);
        const auto *target = std::get_if<Target>(&planned);
        keys.push_back(target ? sameFileKey(*target) : std::nullopt);
        throughDescriptor.push_back(target && target->how == How::Descriptor);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            if (outputs[i].second == outputs[j].second || (keys[i] && keys[i] == keys[j]))
                return outputs[i].first + ", " + outputs[j].first +
                       ": 同じファイルには書けません / cannot write both to the same file";
        }
    }
    // Standard output always gets the table (or the CSV). A file it was redirected into would
    // be replaced under it, or written over, by an output named by its path; one written
    // through our own descriptors (/dev/stdout) follows the table in order instead.
    const auto outKey = sameFileKey({"-", How::Descriptor, kStandardOutput});
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (outKey && keys[i] == outKey && !throughDescriptor[i])
            return outputs[i].first +
                   ": 標準出力と同じファイルには書けません / cannot write to the "
                   "file standard output goes to";
    }
    return std::nullopt;
}

std::optional<std::string> writeFiles(const std::vector<std::pair<std::string, std::string>> &files,
                                      const std::function<void(const std::string &)> &onTemporary)
{
    const auto failed = [&](std::size_t i, const std::string &reason) {
        return printable(files[i].first) + ": " + reason;
    };
    std::vector<Target> targets;
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto planned = plan(files[i].first);
        if (const auto *reason = std::get_if<std::string>(&planned))
            return failed(i, *reason);
        targets.push_back(std::get<Target>(std::move(planned)));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::optional<std::string> problem;
        if (targets[i].how == How::Direct)
            problem = writeExisting(targets[i].path, files[i].second, false);
        else if (targets[i].how == How::Descriptor)
            problem = platform::writeAll({targets[i].fd, targets[i].path}, files[i].second);
        if (problem)
            return failed(i, *problem);
    }

    const platform::InterruptCleanup cleanup;
    std::vector<std::string> temporaries(files.size());
    const auto removeFrom = [&](std::size_t first) {
        for (std::size_t i = first; i < temporaries.size(); ++i) {
            if (!temporaries[i].empty())
                platform::removeFile(temporaries[i]);
        }
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (targets[i].how != How::Replace && targets[i].how != How::Create)
            continue;
        if (const auto reason =
                writeTemporary(targets[i], files[i].second, temporaries[i], onTemporary)) {
            removeFrom(0);
            return failed(i, *reason);
        }
    }
    const platform::SignalsHeld held;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (targets[i].how != How::InPlace)
            continue;
        if (const auto reason = writeExisting(targets[i].path, files[i].second, true)) {
            removeFrom(0);
            return failed(i, *reason);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (temporaries[i].empty())
            continue;
        if (const auto reason = platform::replaceFile(temporaries[i], targets[i].path)) {
            removeFrom(i);
            return failed(i, *reason);
        }
    }
    return std::nullopt;
}

std::optional<std::string> writeStream(std::ostream &out, const std::string &text)
{
    errno = 0;
    out << text;
    out.flush();
    if (out)
        return std::nullopt;
    // Standard output reports the system's reason through errno.
    const int reason = errno;
    return reason != 0 ? std::string(std::strerror(reason))
                       : std::string("書き込めませんでした / write failed");
}

} // namespace perne::cli
