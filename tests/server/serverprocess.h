#pragma once

// A real perne-class process on 127.0.0.1 with its own data folder, and what the tests send it:
// runs made by the engine headless, with their receipts.

#include "headless.h"
#include "receipt.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace perne::testing {

std::filesystem::path freshFolder(const std::string &name);

class ServerProcess
{
public:
    // Starts perne-class on a free port with these extra arguments; the data folder is kept
    // across restart().
    explicit ServerProcess(std::filesystem::path data, std::vector<std::string> extra = {});
    ~ServerProcess();

    void start();
    void kill9();
    void terminate();
    int port() const { return m_port; }
    httplib::Client client() const;
    const std::filesystem::path &data() const { return m_data; }
    const std::filesystem::path &pages() const { return m_pages; }

private:
    std::filesystem::path m_data;
    std::filesystem::path m_pages;
    std::vector<std::string> m_extra;
    int m_pid = -1;
    int m_port = 0;
};

// The path of the built program, for tests that run it on their own.
std::string serverBinary();

// A finished run made by the engine, as a page sends it.
struct MadeRun
{
    RunResult result;
    RunReceipt receipt;
};
MadeRun makeRun(std::uint64_t seed, RunState mode, Point momotaro, Point dog,
                long long stopAfter = -1, double start = 36000.25);

// The body of POST .../runs for the run.
nlohmann::json runBody(const std::string &device, const std::string &key, const MadeRun &run);

// A random-looking token for a device or a key (22+ characters of [A-Za-z0-9_-]).
std::string token(const std::string &prefix, int n);

} // namespace perne::testing
