// perne-class under a class's load, on loopback, never run by the tests:
//   class_bench PERNE_CLASS [students 1000] [sessions 25] [idle streams 475] [window s 60]
// Starts the server with a data folder of its own, opens the sessions, keeps one teacher's
// stream open on each and more streams open besides, lets every student join, then has each
// student send one run (made by the engine headless, with its receipt) at a moment spread
// evenly over the window. Prints the time from each post to its event on the teacher's
// stream (p50, p99, max), the server's processor time and peak memory, and the streams it
// held open at once.
#include "headless.h"
#include "receipt.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

std::string procField(int pid, const std::string &file, const std::string &key)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0)
            return line.substr(key.size());
    return {};
}

double cpuSeconds(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string f;
    std::vector<std::string> v;
    while (fields >> f)
        v.push_back(f);
    // After the command: state is field 3, utime 14 and stime 15 (1-based, whole line).
    return (std::stod(v[11]) + std::stod(v[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string token(const std::string &prefix, int n)
{
    std::string t = prefix + "-" + std::to_string(n);
    while (t.size() < 24)
        t += "x";
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: class_bench PERNE_CLASS [students] [sessions] [idle] [window]\n");
        return 2;
    }
    const std::string binary = argv[1];
    const int students = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int sessions = argc > 3 ? std::atoi(argv[3]) : 25;
    const int idle = argc > 4 ? std::atoi(argv[4]) : 475;
    const double window = argc > 5 ? std::atof(argv[5]) : 60.0;

    char folder[] = "/tmp/perne-class-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string pages = std::string(folder) + "/pages";
    std::filesystem::create_directories(pages);
    std::ofstream(pages + "/perne.html") << "<!doctype html>\n";

    int out[2];
    if (pipe(out) != 0)
        return 1;
    const int pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        // One class of a thousand from one address: the per-address limit is lifted.
        execl(binary.c_str(), binary.c_str(), "--port", "0", "--bind", "127.0.0.1", "--data",
              (std::string(folder) + "/data").c_str(), "--pages", pages.c_str(),
              "--rate-per-address", "1000000", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    for (char c; read(out[0], &c, 1) == 1 && c != '\n';)
        line += c;
    const auto colon = line.find("127.0.0.1:");
    if (colon == std::string::npos) {
        std::fprintf(stderr, "the server did not start: %s\n", line.c_str());
        return 1;
    }
    const int port = std::stoi(line.substr(colon + 10));
    const double cpuAtStart = cpuSeconds(pid);

    struct Session
    {
        std::string code, secret;
    };
    std::vector<Session> classes;
    {
        httplib::Client c("127.0.0.1", port);
        for (int s = 0; s < sessions; ++s) {
            const auto r =
                c.Post("/api/sessions", R"({"momotaro":[4,4],"dog":[6,4]})", "application/json");
            const json j = json::parse(r->body);
            classes.push_back({j["code"], j["secret"]});
        }
    }

    // Sent times by (session, device number), arrival latencies in milliseconds.
    std::mutex mutex;
    std::map<std::pair<int, int>, Clock::time_point> sentAt;
    std::vector<double> latencies;
    std::atomic<int> open{0}, mostOpen{0}, arrived{0};
    std::atomic<bool> stop{false};
    int streamsLost = 0; // streams that ended before the benchmark did, and why the last one did
    std::string streamError;

    std::vector<std::thread> streams;
    for (int i = 0; i < sessions + idle; ++i) {
        const int s = i % sessions;
        const bool teacher = i < sessions;
        streams.emplace_back([&, s, teacher] {
            httplib::Client c("127.0.0.1", port);
            c.set_read_timeout(std::chrono::seconds(static_cast<int>(window) + 120));
            std::string buffer;
            bool counted = false;
            const auto result = c.Get(
                ("/api/sessions/" + classes[s].code + "/events").c_str(),
                {{"Authorization", "Bearer " + classes[s].secret}},
                [&](const char *data, size_t n) {
                    if (!counted) {
                        counted = true;
                        const int now = ++open;
                        for (int m = mostOpen;
                             now > m && !mostOpen.compare_exchange_weak(m, now);) {
                        }
                    }
                    if (teacher) {
                        buffer.append(data, n);
                        for (std::size_t end; (end = buffer.find("\n\n")) != std::string::npos;) {
                            const std::string block = buffer.substr(0, end);
                            buffer.erase(0, end + 2);
                            if (block.find("event: run\n") == std::string::npos)
                                continue;
                            const auto at = Clock::now();
                            const json d = json::parse(block.substr(block.find("data: ") + 6));
                            std::lock_guard lock(mutex);
                            const auto sent = sentAt.find({s, d["device"].get<int>()});
                            if (sent != sentAt.end())
                                latencies.push_back(
                                    std::chrono::duration<double, std::milli>(at - sent->second)
                                        .count());
                            ++arrived;
                        }
                    }
                    return !stop.load();
                });
            if (counted)
                --open;
            if (!stop.load()) {
                std::lock_guard lock(mutex);
                ++streamsLost;
                streamError = result ? "status " + std::to_string(result->status)
                                     : httplib::to_string(result.error());
            }
        });
    }
    while (open.load() < sessions + idle && Clock::now().time_since_epoch().count() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        static int waited = 0;
        if (++waited > 600)
            break;
    }

    // Every student joins and makes its run before the clock starts.
    struct Student
    {
        int session, device;
        std::string id;
        json body;
    };
    std::vector<Student> all(static_cast<std::size_t>(students));
    {
        httplib::Client c("127.0.0.1", port);
        for (int i = 0; i < students; ++i) {
            Student &st = all[static_cast<std::size_t>(i)];
            st.session = i % sessions;
            st.id = token("student", i);
            const auto r = c.Post(("/api/sessions/" + classes[st.session].code + "/join").c_str(),
                                  json{{"device", st.id}}.dump(), "application/json");
            st.device = json::parse(r->body)["deviceNumber"];
            perne::HeadlessSimulation sim(static_cast<std::uint64_t>(i) + 1, 36000.0,
                                          perne::Captions::Skipped);
            sim.setUpAndStart(i % 2 ? perne::RunState::DogWalking : perne::RunState::BothWalking,
                              {4, 4}, {6, 4});
            sim.driver.runUntilStopped();
            const auto result = *sim.controller.finishedRun();
            st.body = {{"device", st.id},
                       {"key", token("run", i)},
                       {"meetings", result.meetings},
                       {"seconds", result.seconds},
                       {"receipt", json::parse(perne::receiptJson(*sim.controller.lastReceipt()))}};
        }
    }

    const auto start = Clock::now();
    std::atomic<int> next{0}, failed{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 32; ++t) {
        senders.emplace_back([&] {
            httplib::Client c("127.0.0.1", port);
            for (int i; (i = next++) < students;) {
                const Student &st = all[static_cast<std::size_t>(i)];
                std::this_thread::sleep_until(
                    start + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(window * i / students)));
                {
                    std::lock_guard lock(mutex);
                    sentAt[{st.session, st.device}] = Clock::now();
                }
                const auto r =
                    c.Post(("/api/sessions/" + classes[st.session].code + "/runs").c_str(),
                           st.body.dump(), "application/json");
                if (!r || r->status != 201 || json::parse(r->body)["verified"] != true)
                    ++failed;
            }
        });
    }
    for (auto &t : senders)
        t.join();
    for (int waited = 0; arrived.load() < students && waited < 200; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int held = mostOpen.load();
    const double cpu = cpuSeconds(pid) - cpuAtStart;
    const std::string peak = procField(pid, "status", "VmHWM:");
    const std::string threads = procField(pid, "status", "Threads:");

    kill(pid, SIGTERM);
    stop = true;
    for (auto &t : streams)
        t.join();
    waitpid(pid, nullptr, 0);
    std::filesystem::remove_all(folder);

    std::sort(latencies.begin(), latencies.end());
    const auto pct = [&](double p) {
        return latencies.empty()
                   ? 0.0
                   : latencies[std::min(
                         latencies.size() - 1,
                         static_cast<std::size_t>(p * static_cast<double>(latencies.size())))];
    };
    std::printf("students %d, sessions %d, streams open at once %d (%d teachers' + %d idle), "
                "window %.0f s\n",
                students, sessions, held, sessions, idle, window);
    if (streamsLost > 0)
        std::printf("streams lost before the end: %d (last: %s)\n", streamsLost,
                    streamError.c_str());
    std::printf("runs refused or not reproduced: %d; events received: %zu of %d\n", failed.load(),
                latencies.size(), students);
    std::printf("post to event: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", pct(0.5), pct(0.99),
                latencies.empty() ? 0.0 : latencies.back());
    std::printf("server: processor time %.2f s (from the sessions' opening to the last event), "
                "peak memory%s, threads%s\n",
                cpu, peak.c_str(), threads.c_str());
    return failed.load() == 0 && static_cast<int>(latencies.size()) == students ? 0 : 1;
}
