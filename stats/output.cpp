#include "output.h"

#include "platformfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <variant>

namespace perne::stats {
namespace {

namespace fs = std::filesystem;

// As many links as the system follows before it gives up with "too many levels".
constexpr int kMaxLinks = 40;

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
    return "\"" + path + "\" はフォルダです / is a folder";
}

// What a shell's ">" would write into, and how we write it.
enum class How {
    Replace, // a regular file: a temporary file beside it, renamed over it
    Create,  // nothing there yet: the same, renamed into place
    Direct,  // a device, a pipe: written where it is
};

struct Target
{
    std::string path; // after every symbolic link
    How how;
};

std::variant<Target, std::string> resolve(const std::string &given)
{
    fs::path path = toPath(given);
    for (int links = 0; links <= kMaxLinks; ++links) {
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

// Writes the whole of a device or a pipe, checking every step.
std::optional<std::string> writeDirect(const std::string &path, const std::string &content)
{
    auto opened = platform::openExisting(path);
    if (auto *reason = std::get_if<std::string>(&opened))
        return *reason;
    auto &file = std::get<platform::OpenFile>(opened);
    const auto written = platform::writeAll(file, content);
    const auto closed = platform::closeFile(file);
    return written ? written : closed;
}

// A complete temporary file beside the target, with the target's permissions; the caller
// renames it into place or removes it. Its path is in `temporary` as soon as it exists.
std::optional<std::string> writeTemporary(const Target &target, const std::string &content,
                                          std::string &temporary)
{
    auto created = platform::createTemporary(folderOf(target.path));
    if (auto *reason = std::get_if<std::string>(&created))
        return *reason;
    auto &file = std::get<platform::OpenFile>(created);
    temporary = file.path;
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
    const auto resolved = resolve(path);
    if (const auto *reason = std::get_if<std::string>(&resolved))
        return *reason;
    const Target &target = std::get<Target>(resolved);
    if (target.how != How::Create) {
        if (auto reason = platform::checkWriteAccess(target.path))
            return reason;
    }
    if (target.how == How::Direct)
        return std::nullopt;
    const std::string folder = folderOf(target.path);
    std::error_code error;
    if (!fs::is_directory(toPath(folder), error))
        return "フォルダ \"" + folder + "\" がありません / no such folder";
    if (platform::checkFolderAccess(folder))
        return "フォルダ \"" + folder + "\" に書けません / folder not writable";
    return std::nullopt;
}

std::optional<std::string> writeFiles(const std::vector<std::pair<std::string, std::string>> &files)
{
    std::vector<Target> targets;
    for (const auto &[path, content] : files) {
        auto resolved = resolve(path);
        if (const auto *reason = std::get_if<std::string>(&resolved))
            return path + ": " + *reason;
        targets.push_back(std::get<Target>(std::move(resolved)));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (targets[i].how != How::Direct)
            continue;
        if (const auto reason = writeDirect(targets[i].path, files[i].second))
            return files[i].first + ": " + *reason;
    }

    std::vector<std::string> temporaries(files.size());
    const auto removeFrom = [&](std::size_t first) {
        for (std::size_t i = first; i < temporaries.size(); ++i) {
            if (!temporaries[i].empty())
                platform::removeFile(temporaries[i]);
        }
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (targets[i].how == How::Direct)
            continue;
        if (const auto reason = writeTemporary(targets[i], files[i].second, temporaries[i])) {
            removeFrom(0);
            return files[i].first + ": " + *reason;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (temporaries[i].empty())
            continue;
        if (const auto reason = platform::replaceFile(temporaries[i], targets[i].path)) {
            removeFrom(i);
            return files[i].first + ": " + *reason;
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

} // namespace perne::stats
