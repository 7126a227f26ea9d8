#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace perne::stats {
namespace {

std::filesystem::path folderOf(const std::string &path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

} // namespace

std::optional<std::string> checkWritable(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path folder = folderOf(path);
    if (!std::filesystem::is_directory(folder, error))
        return "フォルダ \"" + folder.string() + "\" がありません / no such folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "フォルダ \"" + folder.string() + "\" に書けません / folder not writable";
    if (std::filesystem::is_directory(path, error))
        return "\"" + path + "\" はフォルダです / is a folder";
    return std::nullopt;
}

std::optional<std::string> writeFiles(const std::vector<std::pair<std::string, std::string>> &files)
{
    std::vector<std::string> temporaries;
    auto discard = [&] {
        for (const std::string &t : temporaries)
            std::remove(t.c_str());
    };
    for (const auto &[path, content] : files) {
        std::string name = (folderOf(path) / ".perne-stats-XXXXXX").string();
        const int fd = ::mkstemp(name.data());
        if (fd < 0) {
            discard();
            return path + ": " + std::strerror(errno);
        }
        temporaries.push_back(name);
        std::size_t written = 0;
        while (written < content.size()) {
            const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                const int saved = errno;
                ::close(fd);
                discard();
                return path + ": " + std::strerror(saved);
            }
            written += static_cast<std::size_t>(n);
        }
        // mkstemp makes the file private; a result file is an ordinary one.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        if (::close(fd) != 0) {
            discard();
            return path + ": " + std::strerror(errno);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (std::rename(temporaries[i].c_str(), files[i].first.c_str()) != 0) {
            const int saved = errno;
            discard();
            return files[i].first + ": " + std::strerror(saved);
        }
    }
    return std::nullopt;
}

} // namespace perne::stats
