// perne-class as a class meets it: a real process on 127.0.0.1 with its own data folder,
// sessions opened, devices joining, runs made by the engine headless and sent with their
// receipts, the teacher's stream, a kill -9 and a restart, and bad input of every kind.

#include "serverprocess.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <fstream>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <set>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace perne;
using namespace perne::testing;
using nlohmann::json;

namespace {

struct Answer
{
    int status = 0;
    json body;
    std::string text;
};

Answer answerOf(const httplib::Result &r)
{
    if (!r)
        return {0, json(), "no answer: " + httplib::to_string(r.error())};
    Answer a{r->status, json::parse(r->body, nullptr, false), r->body};
    return a;
}

struct Class
{
    std::string code;
    std::string secret;
};

class ServerTest : public ::testing::Test
{
protected:
    std::filesystem::path data = freshFolder("perne-class");
    ServerProcess server{data};

    Answer post(const std::string &path, const std::string &body, const std::string &secret = {})
    {
        auto c = server.client();
        httplib::Headers h;
        if (!secret.empty())
            h.emplace("Authorization", "Bearer " + secret);
        return answerOf(c.Post(path.c_str(), h, body, "application/json"));
    }
    Answer post(const std::string &path, const json &body, const std::string &secret = {})
    {
        return post(path, body.dump(), secret);
    }
    Answer get(const std::string &path, const std::string &secret = {})
    {
        auto c = server.client();
        httplib::Headers h;
        if (!secret.empty())
            h.emplace("Authorization", "Bearer " + secret);
        return answerOf(c.Get(path.c_str(), h));
    }
    Answer del(const std::string &path, const std::string &secret)
    {
        auto c = server.client();
        return answerOf(c.Delete(path.c_str(), {{"Authorization", "Bearer " + secret}}));
    }
    Class open(Point momotaro = {4, 4}, Point dog = {6, 4})
    {
        const Answer a = post(
            "/api/sessions", json{{"momotaro", {momotaro.x, momotaro.y}}, {"dog", {dog.x, dog.y}}});
        EXPECT_EQ(a.status, 201) << a.text;
        return {a.body.value("code", ""), a.body.value("secret", "")};
    }
    std::string at(const Class &c, const std::string &rest) const
    {
        return "/api/sessions/" + c.code + rest;
    }
    json teacherView(const Class &c)
    {
        const Answer a = get(at(c, ""), c.secret);
        EXPECT_EQ(a.status, 200) << a.text;
        return a.body;
    }
};

// Reads the teacher's stream, as the teacher's page does, until an event satisfies `until`
// (then it hangs up at once) or 20 s pass.
class StreamReader
{
public:
    struct Event
    {
        long long id = 0;
        std::string name;
        json data;
    };
    using Test = std::function<bool(const Event &)>;

    StreamReader(const ServerProcess &server, const Class &c, Test until,
                 long long lastEventId = -1)
    {
        httplib::Client client("127.0.0.1", server.port());
        client.set_read_timeout(20, 0);
        httplib::Headers h{{"Authorization", "Bearer " + c.secret}};
        if (lastEventId >= 0)
            h.emplace("Last-Event-ID", std::to_string(lastEventId));
        std::string buffer;
        bool done = false;
        const auto result = client.Get(
            ("/api/sessions/" + c.code + "/events").c_str(), h, [&](const char *data, size_t n) {
                buffer.append(data, n);
                for (std::size_t end; !done && (end = buffer.find("\n\n")) != std::string::npos;) {
                    if (const auto e = parse(buffer.substr(0, end))) {
                        events.push_back(*e);
                        done = done || until(*e);
                    }
                    buffer.erase(0, end + 2);
                }
                return !done;
            });
        if (!done)
            ADD_FAILURE() << "the stream ended before its event: "
                          << (result ? std::to_string(result->status) + " " + result->body
                                     : httplib::to_string(result.error()));
    }

    std::vector<Event> events;

private:
    static std::optional<Event> parse(const std::string &block)
    {
        Event e;
        std::size_t start = 0;
        bool any = false;
        while (start < block.size()) {
            std::size_t end = block.find('\n', start);
            if (end == std::string::npos)
                end = block.size();
            const std::string line = block.substr(start, end - start);
            start = end + 1;
            if (line.rfind("id: ", 0) == 0) {
                e.id = std::stoll(line.substr(4));
                any = true;
            } else if (line.rfind("event: ", 0) == 0) {
                e.name = line.substr(7);
            } else if (line.rfind("data: ", 0) == 0) {
                e.data = json::parse(line.substr(6));
            }
        }
        if (!any)
            return std::nullopt; // a comment
        return e;
    }
};

// Does `action` on a thread while a stream reads, so the stream is open before it happens.
std::vector<StreamReader::Event> watchWhile(const ServerProcess &server, const Class &c,
                                            StreamReader::Test until,
                                            const std::function<void()> &action,
                                            long long lastEventId = -1)
{
    std::vector<StreamReader::Event> events;
    std::thread reader([&] { events = StreamReader(server, c, until, lastEventId).events; });
    action();
    reader.join();
    return events;
}

bool isRun(const StreamReader::Event &e, long long run)
{
    return e.name == "run" && e.data.value("run", -1LL) == run;
}

} // namespace

TEST_F(ServerTest, AClassJoinsAndRunsEndedByTimeOrByStopArriveWithTheirCounts)
{
    const Answer info = get("/api/info");
    EXPECT_EQ(info.body["server"], "perne-class");
    EXPECT_EQ(info.body["teacherKeyRequired"], false);

    const Class c = open({4, 4}, {6, 4});
    EXPECT_EQ(c.code.size(), 6u);
    EXPECT_EQ(c.code.find_first_of("01OIL"), std::string::npos);
    EXPECT_EQ(c.secret.size(), 43u);
    const Answer pub = get(at(c, ""));
    EXPECT_EQ(pub.body["momotaro"], json::array({4, 4}));
    EXPECT_EQ(pub.body["open"], true);
    EXPECT_FALSE(pub.body.contains("runs")) << "no per-device data without the secret";
    // Codes typed in small letters find the class too.
    std::string lower = c.code;
    for (char &ch : lower)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(get("/api/sessions/" + lower).status, 200);

    const std::string a = token("device-a", 1), b = token("device-b", 2);
    EXPECT_EQ(post(at(c, "/join"), json{{"device", a}}).body["deviceNumber"], 1);
    EXPECT_EQ(post(at(c, "/join"), json{{"device", b}}).body["deviceNumber"], 2);
    EXPECT_EQ(post(at(c, "/join"), json{{"device", a}}).body["deviceNumber"], 1);

    const MadeRun timed = makeRun(1, RunState::BothWalking, {4, 4}, {6, 4});
    const MadeRun stopped = makeRun(2, RunState::DogWalking, {4, 4}, {5, 4}, 333);
    const MadeRun midnight = makeRun(3, RunState::BothWalking, {3, 3}, {4, 4}, -1, 86350.0);
    EXPECT_GT(timed.result.meetings + stopped.result.meetings + midnight.result.meetings, 0);
    const Answer r1 = post(at(c, "/runs"), runBody(a, token("key-a", 1), timed));
    const Answer r2 = post(at(c, "/runs"), runBody(b, token("key-b", 1), stopped));
    const Answer r3 = post(at(c, "/runs"), runBody(b, token("key-b", 2), midnight));
    for (const Answer *r : {&r1, &r2, &r3}) {
        EXPECT_EQ(r->status, 201) << r->text;
        EXPECT_EQ(r->body["verified"], true) << r->text;
    }

    const json view = teacherView(c);
    ASSERT_EQ(view["runs"].size(), 3u);
    const json &first = view["runs"][0];
    EXPECT_EQ(first["run"], r1.body["run"]);
    EXPECT_EQ(first["device"], 1);
    EXPECT_EQ(first["mode"], "both");
    EXPECT_EQ(first["meetings"], timed.result.meetings);
    EXPECT_EQ(first["seconds"], 180);
    EXPECT_EQ(first["reason"], nullptr);
    EXPECT_EQ(view["runs"][1]["mode"], "dog");
    EXPECT_EQ(view["runs"][1]["seconds"], 66);
    EXPECT_EQ(view["runs"][1]["meetings"], stopped.result.meetings);
    EXPECT_EQ(view["runs"][1]["dog"], json::array({5, 4}));
    EXPECT_EQ(view["devices"], (json{{"joined", 2}, {"sent", 2}}));

    // The CSV: the student's line columns, then device, time and verified.
    auto client = server.client();
    const auto csv =
        client.Get(at(c, "/runs.csv").c_str(), {{"Authorization", "Bearer " + c.secret}});
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->status, 200);
    EXPECT_EQ(csv->body.rfind("mode,momotaro_x,momotaro_y,dog_x,dog_y,meetings,seconds,device,"
                              "time,verified\r\n",
                              0),
              0u);
    EXPECT_NE(csv->body.find("１人が動くとき,4,4,5,4," + std::to_string(stopped.result.meetings) +
                             ",66,2,"),
              std::string::npos)
        << csv->body;

    // Predictions: a later choice replaces the earlier one.
    post(at(c, "/predictions"), json{{"device", a}, {"choice", "both"}});
    post(at(c, "/predictions"), json{{"device", b}, {"choice", "same"}});
    post(at(c, "/predictions"), json{{"device", a}, {"choice", "dog"}});
    EXPECT_EQ(teacherView(c)["predictions"], (json{{"both", 0}, {"dog", 1}, {"same", 1}}));

    // The QR code: an SVG of the absolute join address, for the address asked.
    const Answer qr = get(at(c, "/qr.svg"));
    EXPECT_EQ(qr.status, 200);
    EXPECT_EQ(qr.text.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_NE(qr.text.find("<path fill=\"#000\" d=\"M"), std::string::npos);
}

TEST_F(ServerTest, AForgedOrEditedRunIsListedAsNotReproducedAndNeverPooled)
{
    const Class c = open();
    const std::string d = token("device", 7);
    const MadeRun run = makeRun(11, RunState::BothWalking, {4, 4}, {5, 5});

    json forged = runBody(d, token("forged", 1), run);
    forged["meetings"] = run.result.meetings + 5;
    const Answer f = post(at(c, "/runs"), forged);
    EXPECT_EQ(f.status, 201);
    EXPECT_EQ(f.body["verified"], false);
    EXPECT_NE(f.body.value("reason", "").find("ペルネ回数"), std::string::npos) << f.text;

    json otherWords = runBody(d, token("forged", 2), run);
    otherWords["receipt"]["random"][0] = "0000000000000abc";
    otherWords["meetings"] = run.result.meetings;
    const Answer w = post(at(c, "/runs"), otherWords);
    EXPECT_EQ(w.body["verified"], false) << w.text;

    json tooLong = runBody(d, token("forged", 3), run);
    tooLong["receipt"]["lastPeriod"] = 5000;
    EXPECT_EQ(post(at(c, "/runs"), tooLong).body["verified"], false);

    json offLattice = runBody(d, token("forged", 4), run);
    offLattice["receipt"]["dog"] = json::array({11, 4});
    const Answer o = post(at(c, "/runs"), offLattice);
    EXPECT_EQ(o.body["verified"], false);
    EXPECT_NE(o.body.value("reason", "").find("初期位置"), std::string::npos);

    const Answer honest = post(at(c, "/runs"), runBody(d, token("honest", 1), run));
    EXPECT_EQ(honest.body["verified"], true);

    const json runs = teacherView(c)["runs"];
    ASSERT_EQ(runs.size(), 5u);
    int verified = 0;
    for (const json &r : runs) {
        verified += r["verified"].get<bool>();
        EXPECT_EQ(r["verified"].get<bool>(), r["reason"].is_null());
    }
    EXPECT_EQ(verified, 1);
}

TEST_F(ServerTest, ASecondSendOfTheSameRunCountsOnceAndGetsTheFirstAnswer)
{
    const Class c = open();
    const std::string d = token("device", 1);
    const MadeRun run = makeRun(5, RunState::DogWalking, {2, 2}, {3, 3}, 100);
    const json body = runBody(d, token("key", 1), run);
    const Answer first = post(at(c, "/runs"), body);
    const Answer second = post(at(c, "/runs"), body);
    EXPECT_EQ(first.status, 201);
    EXPECT_EQ(second.status, 200);
    EXPECT_EQ(second.body, first.body);
    EXPECT_EQ(teacherView(c)["runs"].size(), 1u);
    EXPECT_EQ(teacherView(c)["devices"]["sent"], 1);
}

TEST_F(ServerTest, TheTeachersStreamGetsEachRunAndResumesAfterTheLastEventItSaw)
{
    const Class c = open();
    const std::string d = token("device", 1);
    long long id = 0;
    // The run is sent once the stream has replayed the session's first event.
    std::atomic<bool> replayed{false};
    std::thread sender([&] {
        while (!replayed)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        id = post(at(c, "/runs"),
                  runBody(d, token("key", 1), makeRun(1, RunState::BothWalking, {4, 4}, {6, 4})))
                 .body["run"];
    });
    const auto events = StreamReader(server, c, [&](const auto &e) {
                            replayed = true;
                            return e.name == "run";
                        }).events;
    sender.join();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().name, "state") << "the replay starts from the session's start";
    long long seen = 0;
    for (const auto &e : events) {
        EXPECT_GT(e.id, seen) << "ids increase";
        seen = e.id;
    }
    ASSERT_TRUE(isRun(events.back(), id));
    EXPECT_EQ(events.back().data["meetings"],
              makeRun(1, RunState::BothWalking, {4, 4}, {6, 4}).result.meetings);

    // Sent while nobody watched: the reconnecting stream gets these, and nothing it had seen.
    const Answer missed1 =
        post(at(c, "/runs"),
             runBody(d, token("key", 2), makeRun(2, RunState::DogWalking, {4, 4}, {6, 4})));
    EXPECT_EQ(post(at(c, "/control"), json{{"action", "hide"}}, c.secret).body["hidden"], true);
    const Answer missed2 =
        post(at(c, "/runs"),
             runBody(d, token("key", 3), makeRun(3, RunState::DogWalking, {4, 4}, {6, 4})));
    const long long last = missed2.body["run"];
    const auto resumed = StreamReader(
                             server, c, [&](const auto &e) { return isRun(e, last); }, seen)
                             .events;
    std::vector<std::string> names;
    for (const auto &e : resumed) {
        EXPECT_GT(e.id, seen);
        names.push_back(e.name);
    }
    // The first stream hung up at its run, before the count of devices that came with it; the
    // same device again then changes no count, so no more "devices" events.
    EXPECT_EQ(names, (std::vector<std::string>{"devices", "run", "state", "run"}));
    ASSERT_EQ(resumed.size(), 4u);
    EXPECT_EQ(resumed[0].data, (json{{"joined", 1}, {"sent", 1}}));
    EXPECT_EQ(resumed[1].data["run"], missed1.body["run"]);
    EXPECT_EQ(resumed[2].data, (json{{"open", true}, {"locked", false}, {"hidden", true}}));

    // A removal of every run of the device reaches an open stream as it happens.
    const auto live = watchWhile(
        server, c, [](const auto &e) { return e.name == "removed"; },
        [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const Answer removed = del(at(c, "/devices/1"), c.secret);
            EXPECT_EQ(removed.body["removed"].size(), 3u);
        },
        resumed.back().id);
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].data["runs"].size(), 3u);
    EXPECT_EQ(teacherView(c)["runs"].size(), 0u);
    EXPECT_EQ(teacherView(c)["devices"], (json{{"joined", 1}, {"sent", 0}}));
}

TEST_F(ServerTest, EveryAcknowledgedRunSurvivesKillNineInTheMiddleOfSending)
{
    const Class c = open();
    const MadeRun run = makeRun(9, RunState::DogWalking, {4, 4}, {6, 4}, 50);
    std::mutex mutex;
    std::vector<long long> acknowledged;
    std::atomic<bool> go{true};
    std::vector<std::thread> senders;
    for (int s = 0; s < 3; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; go; ++i) {
                auto client = server.client();
                const auto r = client.Post(
                    at(c, "/runs").c_str(),
                    runBody(token("dev", s), token("k" + std::to_string(s), i), run).dump(),
                    "application/json");
                if (!r || r->status != 201)
                    return;
                std::lock_guard lock(mutex);
                acknowledged.push_back(json::parse(r->body)["run"]);
            }
        });
    }
    // Let some runs through, then kill the server while the senders are still sending.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::lock_guard lock(mutex);
            if (acknowledged.size() >= 20)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    server.kill9();
    go = false;
    for (auto &t : senders)
        t.join();
    ASSERT_GE(acknowledged.size(), 20u) << "the senders stopped before the kill";
    server.start();

    const json runs = teacherView(c)["runs"];
    std::set<long long> stored;
    for (const json &r : runs)
        stored.insert(r["run"].get<long long>());
    for (const long long id : acknowledged)
        EXPECT_TRUE(stored.count(id)) << "acknowledged run " << id << " lost";
    EXPECT_GE(stored.size(), acknowledged.size());
    // And the class goes on.
    EXPECT_EQ(post(at(c, "/runs"), runBody(token("dev", 9), token("after", 1), run)).status, 201);
}

TEST_F(ServerTest, BadInputGetsAClearErrorChangesNothingAndIsNeverEchoed)
{
    const Class c = open();
    const std::string d = token("device", 1);
    const MadeRun run = makeRun(4, RunState::BothWalking, {4, 4}, {6, 4});

    const Answer malformed = post(at(c, "/runs"), std::string("{\"device\": "));
    EXPECT_EQ(malformed.status, 400);
    EXPECT_EQ(malformed.body["error"], "bad_json");
    EXPECT_FALSE(malformed.body.value("message", "").empty());

    // Markup and SQL in every place a client can put text: refused, and never sent back.
    const std::string markup = "<script>alert(1)</script>'; DROP TABLE runs; --";
    for (const json &body : {json{{"device", markup}}, json{{"device", d}, {"extra", markup}},
                             json{{"device", d}, {"choice", markup}}}) {
        for (const char *where : {"/join", "/predictions"}) {
            const Answer a = post(at(c, where), body);
            EXPECT_EQ(a.status, 400) << a.text;
            EXPECT_EQ(a.text.find('<'), std::string::npos) << a.text;
            EXPECT_EQ(a.text.find("DROP"), std::string::npos) << a.text;
        }
    }
    json sneaky = runBody(d, token("key", 1), run);
    sneaky["receipt"]["mode"] = markup;
    EXPECT_EQ(post(at(c, "/runs"), sneaky).status, 400);
    const Answer badCode = get("/api/sessions/%3Cscript%3Ealert(1)%3C%2Fscript%3E");
    EXPECT_EQ(badCode.status, 404);
    EXPECT_EQ(badCode.text.find('<'), std::string::npos);
    EXPECT_EQ(get("/api/sessions/%27%3B%20DROP%20TABLE%20sessions%3B--").status, 404);

    // Wrong types and ranges.
    json wrong = runBody(d, token("key", 2), run);
    wrong["meetings"] = 3.5;
    EXPECT_EQ(post(at(c, "/runs"), wrong).status, 400);
    wrong["meetings"] = -1;
    EXPECT_EQ(post(at(c, "/runs"), wrong).status, 400);
    EXPECT_EQ(post("/api/sessions", json{{"momotaro", {4, 11}}, {"dog", {6, 4}}}).status, 400);
    EXPECT_EQ(post("/api/sessions", std::string("[1,2]")).status, 400);

    // A body of 10 MB: refused whole, and the server goes on.
    const std::string huge(10 * 1024 * 1024, 'x');
    const Answer big = post(at(c, "/runs"), "{\"device\":\"" + huge + "\"}");
    EXPECT_TRUE(big.status == 413 || big.status == 0) << big.text;
    if (big.status == 413) {
        EXPECT_EQ(big.body["error"], "too_large");
    }

    // Unknown and closed sessions; the secret.
    EXPECT_EQ(post("/api/sessions/ZZZZZZ/runs", runBody(d, token("key", 3), run)).body["error"],
              "unknown_session");
    EXPECT_EQ(get(at(c, "/events"), "").status, 401);
    EXPECT_EQ(get(at(c, "/events"), c.secret + "x").status, 403);
    EXPECT_EQ(get(at(c, "/runs.csv"), "wrong").status, 403);
    EXPECT_EQ(post(at(c, "/control"), json{{"action", "close"}}, "wrong").status, 403);
    EXPECT_EQ(del(at(c, "/devices/1"), "wrong").status, 403);
    EXPECT_TRUE(get(at(c, "")).body["open"]) << "a wrong secret changed nothing";

    EXPECT_EQ(post(at(c, "/control"), json{{"action", "lock"}}, c.secret).body["locked"], true);
    EXPECT_EQ(post(at(c, "/runs"), runBody(d, token("key", 4), run)).body["error"], "locked");
    post(at(c, "/control"), json{{"action", "unlock"}}, c.secret);
    EXPECT_EQ(post(at(c, "/runs"), runBody(d, token("key", 5), run)).status, 201);
    EXPECT_EQ(post(at(c, "/control"), json{{"action", "close"}}, c.secret).body["open"], false);
    const Answer closed = post(at(c, "/runs"), runBody(d, token("key", 6), run));
    EXPECT_EQ(closed.status, 409);
    EXPECT_EQ(closed.body["error"], "closed");
    EXPECT_EQ(post(at(c, "/join"), json{{"device", token("late", 1)}}).status, 409);

    // Nothing of all that was stored but the one run sent while open and unlocked.
    EXPECT_EQ(teacherView(c)["runs"].size(), 1u);
}

TEST_F(ServerTest, ASlowClientThatNeverFinishesItsRequestHoldsNobodyUp)
{
    const Class c = open();
    std::vector<int> slow;
    for (int i = 0; i < 20; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<std::uint16_t>(server.port()));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        const std::string start =
            "POST " + at(c, "/runs") + " HTTP/1.1\r\nHost: x\r\nContent-Length: 500\r\n\r\n{\"dev";
        ASSERT_GT(write(fd, start.data(), start.size()), 0);
        slow.push_back(fd);
    }
    // Others are served meanwhile.
    const MadeRun run = makeRun(6, RunState::DogWalking, {4, 4}, {6, 4}, 10);
    EXPECT_EQ(post(at(c, "/runs"), runBody(token("d", 1), token("k", 1), run)).status, 201);
    EXPECT_EQ(get(at(c, "")).status, 200);
    // The slow ones are cut off (their read times out) rather than held for ever.
    for (const int fd : slow) {
        timeval tv{30, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buf[512];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0) {
        }
        EXPECT_EQ(n, 0) << "the server closed the connection";
        close(fd);
    }
    EXPECT_EQ(teacherView(c)["runs"].size(), 1u);
}

TEST(ServerProgram, NeedsTheTeachersPassphraseWhenGivenOneAndExplainsItsCommandLine)
{
    const auto data = freshFolder("perne-key");
    const auto keyFile = data.parent_path() / (data.filename().string() + ".key");
    std::ofstream(keyFile) << "sakura 2026\n";
    ServerProcess server(data, {"--teacher-key-file", keyFile.string()});
    auto client = server.client();
    const auto info = client.Get("/api/info");
    ASSERT_TRUE(info);
    EXPECT_EQ(json::parse(info->body)["teacherKeyRequired"], true);
    const auto post = [&](const json &body) {
        const auto r = client.Post("/api/sessions", body.dump(), "application/json");
        return r ? r->status : 0;
    };
    const json points{{"momotaro", {4, 4}}, {"dog", {6, 4}}};
    EXPECT_EQ(post(points), 401);
    json wrong = points;
    wrong["teacherKey"] = "sakura";
    EXPECT_EQ(post(wrong), 403);
    json right = points;
    right["teacherKey"] = "sakura 2026";
    EXPECT_EQ(post(right), 201);

    // The pages: / leads to the student's page, which carries its security policy.
    const auto root = client.Get("/");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->status, 302);
    EXPECT_EQ(root->get_header_value("Location"), "/perne.html");
    const auto page = client.Get("/perne.html");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->get_header_value("Content-Security-Policy").find("connect-src 'self'"),
              std::string::npos);
    const auto manifest = client.Get("/perne.webmanifest");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->get_header_value("Content-Type"), "application/manifest+json");

    const auto run = [](const std::string &args) {
        const int status = std::system((serverBinary() + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(run("--port 8080"), 2) << "no data folder";
    EXPECT_EQ(run("--port 99999 --data /tmp"), 2);
    EXPECT_EQ(run("--port 0 --data /tmp --cert a.pem"), 2) << "a certificate needs its key";
    EXPECT_EQ(run("--port 0 --data /tmp --frobnicate 1"), 2);
}

TEST(ServerProgram, ServesOverTlsWithACertificateAndMakesHttpsAddresses)
{
    const auto data = freshFolder("perne-tls");
    const std::string cert = data.string() + "-cert.pem", key = data.string() + "-key.pem";
    ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                           "-keyout " +
                           key + " -out " + cert + " >/dev/null 2>&1")
                              .c_str()),
              0);
    ServerProcess server(data, {"--cert", cert, "--key", key});
    httplib::SSLClient tls("127.0.0.1", server.port());
    tls.enable_server_certificate_verification(false);
    const auto info = tls.Get("/api/info");
    ASSERT_TRUE(info) << httplib::to_string(info.error());
    EXPECT_EQ(json::parse(info->body)["server"], "perne-class");
    const auto made =
        tls.Post("/api/sessions", R"({"momotaro":[4,4],"dog":[6,4]})", "application/json");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->status, 201);
    // Plain HTTP on the TLS port gets nothing.
    EXPECT_FALSE(server.client().Get("/api/info"));
}
