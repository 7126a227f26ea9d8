// perne-class: the class server. Reads its command line, opens the storage in the data folder
// and serves until SIGINT or SIGTERM.

#include "classserver.h"
#include "options.h"
#include "secrets.h"
#include "serverversion.h"
#include "sqlitestorage.h"

#include <csignal>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <sstream>
#include <thread>

using namespace perne::server;

namespace {

std::optional<std::string> readTeacherKey(const std::string &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    std::string key = text.str();
    while (!key.empty() && (key.back() == '\n' || key.back() == '\r' || key.back() == ' '))
        key.pop_back();
    if (key.empty())
        return std::nullopt;
    return key;
}

} // namespace

int main(int argc, char **argv)
{
    const auto parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << parsed.error << '\n';
        return 2;
    }
    const Options &o = *parsed.options;
    if (o.help) {
        std::cout << usage();
        return 0;
    }
    if (o.version) {
        std::cout << "perne-class " << kVersion << '\n';
        return 0;
    }

    ServerConfig config;
    config.pages = std::filesystem::path(o.pages.empty() ? kDefaultPagesDir : o.pages);
    std::error_code ec;
    if (!std::filesystem::is_directory(config.pages, ec)) {
        std::cerr << "perne-class: ページのフォルダー " << config.pages.string()
                  << " がありません (--pages で build-web を指定してください)\n";
        return 1;
    }
    if (!o.teacherKeyFile.empty()) {
        const auto key = readTeacherKey(o.teacherKeyFile);
        if (!key) {
            std::cerr << "perne-class: --teacher-key-file を読めないか、空です\n";
            return 1;
        }
        config.teacherKeyHash = sha256Hex(*key);
    }
    config.threads = o.threads;
    config.writesPerAddressPerMinute = o.ratePerAddress;
    config.tls = !o.cert.empty();
    config.certFile = o.cert;
    config.keyFile = o.key;

    // The signals are taken by one thread of ours, never by a worker in the middle of a request.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        std::filesystem::create_directories(o.data);
        SqliteStorage storage(std::filesystem::path(o.data) / "perne-class.sqlite3");
        ClassServer server(storage, config);
        const int port = server.bind(o.bind, o.port);
        if (port < 0) {
            std::cerr << "perne-class: " << o.bind << ":" << o.port << " で待ち受けられません"
                      << (config.tls ? " (証明書と鍵を確かめてください)" : "") << '\n';
            return 1;
        }
        std::cout << "perne-class " << kVersion << ": " << (config.tls ? "https" : "http") << "://"
                  << o.bind << ":" << port << "/ data " << o.data << std::endl;
        std::thread watcher([&server, signals] {
            int which = 0;
            sigwait(&signals, &which);
            server.stop();
        });
        const bool ok = server.listen();
        // Wake the watcher if the server ended by itself.
        pthread_kill(watcher.native_handle(), SIGTERM);
        watcher.join();
        return ok ? 0 : 1;
    } catch (const std::exception &e) {
        std::cerr << "perne-class: " << e.what() << '\n';
        return 1;
    }
}
