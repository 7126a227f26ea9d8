#include "serverprocess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace perne::testing {

std::filesystem::path freshFolder(const std::string &name)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::string serverBinary()
{
    return PERNE_CLASS_BINARY;
}

ServerProcess::ServerProcess(std::filesystem::path data, std::vector<std::string> extra)
    : m_data(std::move(data)), m_extra(std::move(extra))
{
    // Small stand-ins for the pages tools/web.sh builds.
    m_pages = m_data.parent_path() / (m_data.filename().string() + "-pages");
    std::filesystem::create_directories(m_pages);
    std::ofstream(m_pages / "perne.html") << "<!doctype html><title>perne</title>\n";
    std::ofstream(m_pages / "perne.webmanifest") << "{\"name\":\"perne\"}\n";
    start();
}

ServerProcess::~ServerProcess()
{
    if (m_pid > 0)
        terminate();
}

void ServerProcess::start()
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> args = {serverBinary(),  "--port",    "0",
                                     "--bind",        "127.0.0.1", "--data",
                                     m_data.string(), "--pages",   m_pages.string()};
    args.insert(args.end(), m_extra.begin(), m_extra.end());
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0)
        throw std::runtime_error("cannot start " + serverBinary());
    // The first line names the address it listens on: "... http://127.0.0.1:PORT/ ...".
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(out[0]);
    const auto colon = line.find("127.0.0.1:");
    if (colon == std::string::npos)
        throw std::runtime_error("perne-class did not start: " + line);
    m_port = std::stoi(line.substr(colon + 10));
}

void ServerProcess::kill9()
{
    ::kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

void ServerProcess::terminate()
{
    ::kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a clean exit on SIGTERM";
}

httplib::Client ServerProcess::client() const
{
    httplib::Client c("127.0.0.1", m_port);
    c.set_read_timeout(20, 0);
    c.set_connection_timeout(5, 0);
    return c;
}

MadeRun makeRun(std::uint64_t seed, RunState mode, Point momotaro, Point dog, long long stopAfter,
                double start)
{
    HeadlessSimulation sim(seed, start, Captions::Skipped);
    if (!sim.setUpAndStart(mode, momotaro, dog))
        throw std::runtime_error("setup refused");
    sim.driver.runThenStop(stopAfter);
    return {*sim.controller.finishedRun(), *sim.controller.lastReceipt()};
}

nlohmann::json runBody(const std::string &device, const std::string &key, const MadeRun &run)
{
    return {{"device", device},
            {"key", key},
            {"meetings", run.result.meetings},
            {"seconds", run.result.seconds},
            {"receipt", nlohmann::json::parse(receiptJson(run.receipt))}};
}

std::string token(const std::string &prefix, int n)
{
    std::string t = prefix + "-" + std::to_string(n);
    while (t.size() < 24)
        t += "x";
    return t;
}

} // namespace perne::testing
