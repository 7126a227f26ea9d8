#include "classserver.h"

#include "classlimits.h"
#include "eventhub.h"
#include "mode.h"
#include "qrsvg.h"
#include "receipt.h"
#include "requests.h"
#include "secrets.h"
#include "serverversion.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <sys/socket.h>

namespace perne::server {
namespace {

using nlohmann::json;
using Access = Storage::Access;

// The pages are single files with their script, styles and WebAssembly inline; the teacher's
// batches run in workers made from blob: addresses, and the engine loads its WebAssembly from a
// data: address. Nothing is fetched from elsewhere.
constexpr const char *kPageCsp =
    "default-src 'self'; script-src 'self' 'unsafe-inline' 'wasm-unsafe-eval'; "
    "style-src 'self' 'unsafe-inline'; img-src 'self' data: blob:; media-src 'self' data: blob:; "
    "font-src 'self' data:; connect-src 'self' data:; worker-src 'self' blob:; manifest-src "
    "'self'; "
    "object-src 'none'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

std::string nowIso()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

long long nowSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// JSON text whose strings cannot close a script or start markup wherever it is pasted: <, >
// and & (found only inside strings) are written as \u escapes.
std::string escapeMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "\\u003c";
            break;
        case '>':
            out += "\\u003e";
            break;
        case '&':
            out += "\\u0026";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string safeJson(const json &j)
{
    return escapeMarkup(j.dump(-1, ' ', false, json::error_handler_t::replace));
}

void reply(httplib::Response &res, int status, const json &body)
{
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(safeJson(body), "application/json; charset=utf-8");
}

void refuse(httplib::Response &res, const Refusal &r)
{
    reply(res, r.status, json{{"error", r.code}, {"message", r.message}});
}

void refuse(httplib::Response &res, int status, const std::string &code, const std::string &message)
{
    refuse(res, Refusal{status, code, message});
}

void unknownSession(httplib::Response &res)
{
    refuse(res, 404, "unknown_session",
           "この授業コードの授業はありません。コードを確かめてください。");
}

void sessionClosed(httplib::Response &res)
{
    refuse(res, 409, "closed", "この授業は終わりました。");
}

json pointJson(Point p)
{
    return json::array({p.x, p.y});
}

json runJson(const RunRecord &r)
{
    return json{{"run", r.id},
                {"device", r.device},
                {"mode", modeWord(r.mode)},
                {"momotaro", pointJson(r.momotaro)},
                {"dog", pointJson(r.dog)},
                {"meetings", r.meetings},
                {"seconds", r.seconds},
                {"verified", r.verified},
                {"reason", r.verified ? json(nullptr) : json(r.reason)},
                {"at", r.at}};
}

json stateJson(const SessionRecord &s)
{
    return json{{"open", s.open}, {"locked", s.locked}, {"hidden", s.hidden}};
}

json devicesJson(const DeviceCounts &c)
{
    return json{{"joined", c.joined}, {"sent", c.sent}};
}

json predictionsJson(const PredictionCounts &c)
{
    return json{{"both", c.both}, {"dog", c.dog}, {"same", c.same}};
}

// Why a run was not reproduced, in the words the teacher's panel shows.
std::string notReproduced(const RunPost &run, const std::optional<RunResult> &again)
{
    switch (receiptFault(run.receipt)) {
    case ReceiptFault::Mode:
        return "記録のモードが正しくありません。";
    case ReceiptFault::Point:
        return "記録の初期位置が 0〜10 の範囲にありません。";
    case ReceiptFault::Reading:
        return "記録のスタートの時刻が正しくありません。";
    case ReceiptFault::Random:
        return "記録の乱数の状態が正しくありません。";
    case ReceiptFault::Period:
        return "記録の長さが 180 秒を超えています。";
    case ReceiptFault::None:
        break;
    }
    if (!again)
        return "記録から実験をやり直せませんでした。";
    if (again->meetings != run.meetings)
        return "記録からやり直すとペルネ回数は" + std::to_string(again->meetings) +
               "回で、送られた回数と違います。";
    if (again->seconds != run.seconds)
        return "記録からやり直すと" + std::to_string(again->seconds) +
               "秒で、送られた秒数と違います。";
    return {};
}

std::string csvOf(const std::vector<RunRecord> &runs)
{
    // The student's line (the mode as its button reads, the two points, the meetings, the
    // seconds), then the device's number, the time and whether the run was reproduced.
    std::string csv = "mode,momotaro_x,momotaro_y,dog_x,dog_y,meetings,seconds,device,time,"
                      "verified\r\n";
    for (const RunRecord &r : runs) {
        const auto mode = r.mode == RunState::BothWalking ? stats::Mode::Both : stats::Mode::Dog;
        csv += std::string(stats::modeCaption(mode));
        for (const long long v :
             {static_cast<long long>(r.momotaro.x), static_cast<long long>(r.momotaro.y),
              static_cast<long long>(r.dog.x), static_cast<long long>(r.dog.y),
              static_cast<long long>(r.meetings), static_cast<long long>(r.seconds),
              static_cast<long long>(r.device)})
            csv += "," + std::to_string(v);
        csv += "," + r.at + "," + (r.verified ? "1" : "0") + "\r\n";
    }
    return csv;
}

// The Host header as it may appear in an address we make: a name or address and a port.
std::string safeHost(const std::string &host)
{
    if (host.empty() || host.size() > 255)
        return "localhost";
    for (const char c : host) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' || c == '[' ||
                        c == ']';
        if (!ok)
            return "localhost";
    }
    return host;
}

std::optional<long long> lastEventId(const httplib::Request &req)
{
    const std::string text = req.get_header_value("Last-Event-ID");
    if (text.empty() || text.size() > 18)
        return text.empty() ? std::optional<long long>(0) : std::nullopt;
    long long v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

// The library listens with a backlog of 5 connections: a class that opens the page at once,
// forty devices within a second, would have most of its connections dropped and retried a
// second or more later. Listening again on the bound socket widens the queue.
template <typename Base> class WideBacklog final : public Base
{
public:
    using Base::Base;
    void widen() { ::listen(this->svr_sock_, kListenBacklog); }
};

} // namespace

// What the handlers share.
struct ClassServer::Context
{
    Storage &storage;
    const ServerConfig &config;
    EventHub &hub;
    std::atomic<int> &openStreams;
    std::atomic<int> &mostOpenStreams;

    std::unique_ptr<Transaction> write() { return storage.begin(Access::Write); }
    std::unique_ptr<Transaction> read() { return storage.begin(Access::Read); }

    // Counts the request against its buckets; refuses it with 429 when one is full.
    bool withinRates(Transaction &tx, httplib::Response &res, const std::string &address,
                     const std::string &device = {})
    {
        const long long minute = nowSeconds() / 60;
        const long long perAddress = config.writesPerAddressPerMinute > 0
                                         ? config.writesPerAddressPerMinute
                                         : kWritesPerAddressPerMinute;
        bool ok = tx.countRequest("a:" + address, minute) <= perAddress;
        if (!device.empty())
            ok = tx.countRequest("d:" + device, minute) <= kWritesPerDevicePerMinute && ok;
        if (!ok) {
            res.set_header("Retry-After", std::to_string(60 - nowSeconds() % 60));
            refuse(res, 429, "rate_limited",
                   "送信が多すぎます。少し待ってからもう一度送ってください。");
        }
        return ok;
    }

    // The session a student's write goes to, named by the address: 404 when unknown, 429 over
    // the rates (the request still counts, so the transaction is committed).
    std::optional<SessionRecord> studentSession(Transaction &tx, const httplib::Request &req,
                                                httplib::Response &res, const std::string &device)
    {
        const std::string code = normalJoinCode(req.matches[1].str());
        auto session = code.empty() ? std::nullopt : tx.session(code);
        if (!session) {
            unknownSession(res);
            return std::nullopt;
        }
        if (!withinRates(tx, res, req.remote_addr, device)) {
            tx.commit();
            return std::nullopt;
        }
        return session;
    }

    // The session for a teacher's request: 404 when unknown, 401 without the secret, 403 with
    // a wrong one.
    std::optional<SessionRecord> teacherSession(Transaction &tx, const httplib::Request &req,
                                                httplib::Response &res, const std::string &code)
    {
        auto session = code.empty() ? std::nullopt : tx.session(code);
        if (!session) {
            unknownSession(res);
            return std::nullopt;
        }
        const std::string header = req.get_header_value("Authorization");
        constexpr std::string_view kBearer = "Bearer ";
        if (header.size() <= kBearer.size() || header.compare(0, kBearer.size(), kBearer) != 0) {
            res.set_header("WWW-Authenticate", "Bearer");
            refuse(res, 401, "unauthorized", "この操作には授業の鍵が必要です。");
            return std::nullopt;
        }
        if (!sameText(sha256Hex(header.substr(kBearer.size())), session->secretHash)) {
            refuse(res, 403, "forbidden", "授業の鍵が違います。");
            return std::nullopt;
        }
        return session;
    }

    void sessionEvent(Transaction &tx, const SessionRecord &s)
    {
        tx.appendEvent(s.code, "state", stateJson(s).dump());
    }
};

ClassServer::ClassServer(Storage &storage, ServerConfig config)
    : m_storage(storage), m_config(std::move(config)), m_hub(std::make_unique<EventHub>())
{
    if (m_config.tls) {
        auto http = std::make_unique<WideBacklog<httplib::SSLServer>>(m_config.certFile.c_str(),
                                                                      m_config.keyFile.c_str());
        m_widenBacklog = [server = http.get()] { server->widen(); };
        m_http = std::move(http);
    } else {
        auto http = std::make_unique<WideBacklog<httplib::Server>>();
        m_widenBacklog = [server = http.get()] { server->widen(); };
        m_http = std::move(http);
    }
    route();
}

ClassServer::~ClassServer()
{
    stop();
}

int ClassServer::bind(const std::string &address, int port)
{
    if (!m_http->is_valid())
        return -1;
    const int bound = port == 0 ? m_http->bind_to_any_port(address)
                                : (m_http->bind_to_port(address, port) ? port : -1);
    if (bound > 0)
        m_widenBacklog();
    return bound;
}

bool ClassServer::listen()
{
    return m_http->listen_after_bind();
}

void ClassServer::stop()
{
    m_hub->stop();
    m_http->stop();
}

void ClassServer::route()
{
    httplib::Server &http = *m_http;
    const int threads = m_config.threads > 0 ? m_config.threads : kDefaultThreads;
    http.new_task_queue = [threads] {
        return new httplib::ThreadPool(static_cast<size_t>(threads));
    };
    http.set_payload_max_length(kBodyLimitBytes);
    http.set_read_timeout(kReadTimeoutSeconds, 0);
    http.set_write_timeout(kReadTimeoutSeconds, 0);
    http.set_keep_alive_timeout(kKeepAliveSeconds);
    http.set_keep_alive_max_count(100);
    http.set_default_headers(
        {{"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "no-referrer"}});
    http.set_file_extension_and_mimetype_mapping("webmanifest", "application/manifest+json");
    http.set_file_extension_and_mimetype_mapping("wasm", "application/wasm");
    if (!m_config.pages.empty())
        http.set_mount_point("/", m_config.pages.string());
    http.set_file_request_handler([](const httplib::Request &req, httplib::Response &res) {
        res.set_header("Content-Security-Policy", kPageCsp);
        // The service worker and the pages change with a new version; let them be checked.
        if (req.path == "/sw.js" || req.path.ends_with(".html"))
            res.set_header("Cache-Control", "no-cache");
    });

    // Errors the library answers itself (a body over the limit, an unknown address) and
    // handlers that threw get the same JSON as ours; an answer already made is left alone.
    http.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request &req, httplib::Response &res) {
            if (!res.body.empty() || res.content_length_ > 0)
                return httplib::Server::HandlerResponse::Unhandled;
            if (res.status == 413)
                refuse(res, 413, "too_large", "送られたデータが大きすぎます。");
            else if (res.status == 404 && !req.path.starts_with("/api/"))
                res.set_content("見つかりません。\n", "text/plain; charset=utf-8");
            else if (res.status == 404)
                refuse(res, 404, "not_found", "そのようなアドレスはありません。");
            else
                refuse(res, res.status, "error", "要求を処理できませんでした。");
            return httplib::Server::HandlerResponse::Handled;
        }));
    http.set_exception_handler(
        [](const httplib::Request &, httplib::Response &res, std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const StorageError &) {
                res.set_header("Retry-After", "2");
                refuse(res, 503, "storage_unavailable",
                       "記録を保存できませんでした。少し待ってからもう一度送ってください。");
            } catch (...) {
                refuse(res, 500, "internal", "サーバーで問題が起きました。");
            }
        });

    auto ctx = std::make_shared<Context>(
        Context{m_storage, m_config, *m_hub, m_openStreams, m_mostOpenStreams});

    http.Get("/", [](const httplib::Request &, httplib::Response &res) {
        res.set_redirect("/perne.html");
    });

    http.Get("/api/info", [ctx](const httplib::Request &, httplib::Response &res) {
        reply(res, 200,
              json{{"server", "perne-class"},
                   {"version", kVersion},
                   {"teacherKeyRequired", ctx->config.teacherKeyHash.has_value()}});
    });

    http.Post("/api/sessions", [ctx](const httplib::Request &req, httplib::Response &res) {
        auto parsed = parseNewSession(req.body);
        if (auto *r = std::get_if<Refusal>(&parsed))
            return refuse(res, *r);
        const auto &body = std::get<NewSession>(parsed);
        if (ctx->config.teacherKeyHash) {
            if (!body.teacherKey)
                return refuse(res, 401, "teacher_key_required",
                              "授業を始めるには先生用のパスフレーズが必要です。");
            if (!sameText(sha256Hex(*body.teacherKey), *ctx->config.teacherKeyHash))
                return refuse(res, 403, "wrong_teacher_key", "先生用のパスフレーズが違います。");
        }
        auto tx = ctx->write();
        if (tx->countRequest("n:" + req.remote_addr, nowSeconds() / 3600) >
            kSessionsPerAddressPerHour) {
            tx->commit();
            res.set_header("Retry-After", std::to_string(3600 - nowSeconds() % 3600));
            return refuse(res, 429, "rate_limited",
                          "授業を始める回数が多すぎます。しばらく待ってください。");
        }
        const std::string secret = newSecret();
        SessionRecord s;
        s.secretHash = sha256Hex(secret);
        s.momotaro = body.momotaro;
        s.dog = body.dog;
        s.created = nowIso();
        // 31^6 codes: a taken one is rare, and the next draw almost surely free.
        for (int attempt = 0; attempt < 20; ++attempt) {
            s.code = newJoinCode();
            if (tx->createSession(s))
                break;
            s.code.clear();
        }
        if (s.code.empty())
            throw StorageError("no free join code");
        ctx->sessionEvent(*tx, s);
        tx->commit();
        reply(
            res, 201,
            json{{"code", s.code}, {"secret", secret}, {"joinUrl", "/perne.html?class=" + s.code}});
    });

    http.Get(R"(/api/sessions/([^/]+))",
             [ctx](const httplib::Request &req, httplib::Response &res) {
                 const std::string code = normalJoinCode(req.matches[1].str());
                 auto tx = ctx->read();
                 const auto session = code.empty() ? std::nullopt : tx->session(code);
                 if (!session)
                     return unknownSession(res);
                 json body{{"code", session->code},
                           {"momotaro", pointJson(session->momotaro)},
                           {"dog", pointJson(session->dog)},
                           {"open", session->open},
                           {"locked", session->locked}};
                 if (req.has_header("Authorization")) {
                     if (!ctx->teacherSession(*tx, req, res, code))
                         return;
                     body["hidden"] = session->hidden;
                     body["created"] = session->created;
                     body["devices"] = devicesJson(tx->deviceCounts(code));
                     body["predictions"] = predictionsJson(tx->predictions(code));
                     json runs = json::array();
                     for (const RunRecord &r : tx->runs(code, false))
                         runs.push_back(runJson(r));
                     body["runs"] = std::move(runs);
                     const auto last = tx->eventsAfter(code, 0, 1'000'000);
                     body["lastEventId"] = last.empty() ? 0 : last.back().id;
                 }
                 reply(res, 200, body);
             });

    http.Get(R"(/api/sessions/([^/]+)/qr\.svg)",
             [ctx](const httplib::Request &req, httplib::Response &res) {
                 const std::string code = normalJoinCode(req.matches[1].str());
                 auto tx = ctx->read();
                 if (code.empty() || !tx->session(code))
                     return unknownSession(res);
                 const std::string proto = req.get_header_value("X-Forwarded-Proto");
                 const std::string scheme = ctx->config.tls || proto == "https" ? "https" : "http";
                 const auto svg = qrSvg(scheme + "://" + safeHost(req.get_header_value("Host")) +
                                        "/perne.html?class=" + code);
                 if (!svg)
                     return refuse(res, 400, "bad_host", "この宛先では QR コードを作れません。");
                 res.set_header("Cache-Control", "no-store");
                 res.set_content(*svg, "image/svg+xml");
             });

    http.Post(R"(/api/sessions/([^/]+)/join)",
              [ctx](const httplib::Request &req, httplib::Response &res) {
                  auto parsed = parseJoin(req.body);
                  if (auto *r = std::get_if<Refusal>(&parsed))
                      return refuse(res, *r);
                  const auto &body = std::get<Join>(parsed);
                  auto tx = ctx->write();
                  const auto session = ctx->studentSession(*tx, req, res, body.device);
                  if (!session)
                      return;
                  const std::string &code = session->code;
                  if (!session->open) {
                      tx->commit();
                      return sessionClosed(res);
                  }
                  const DeviceCounts before = tx->deviceCounts(code);
                  const int number = tx->joinDevice(code, body.device, nowIso());
                  const DeviceCounts after = tx->deviceCounts(code);
                  const bool changed = after.joined != before.joined;
                  if (changed)
                      tx->appendEvent(code, "devices", devicesJson(after).dump());
                  tx->commit();
                  if (changed)
                      ctx->hub.notify(code);
                  reply(res, 200, json{{"deviceNumber", number}});
              });

    http.Post(R"(/api/sessions/([^/]+)/runs)", [ctx](const httplib::Request &req,
                                                     httplib::Response &res) {
        auto parsed = parseRunPost(req.body);
        if (auto *r = std::get_if<Refusal>(&parsed))
            return refuse(res, *r);
        const auto &run = std::get<RunPost>(parsed);
        // Walking the run again takes a fraction of a millisecond; done before the
        // transaction, it holds no one up.
        const auto again = walkAgain(run.receipt);
        const std::string reason = notReproduced(run, again);

        auto tx = ctx->write();
        const auto session = ctx->studentSession(*tx, req, res, run.device);
        if (!session)
            return;
        const std::string &code = session->code;
        if (const auto earlier = tx->runByKey(code, run.key)) {
            // The same run sent again: the first answer, and nothing counted twice.
            tx->commit();
            json answer{{"run", earlier->id}, {"verified", earlier->verified}};
            if (!earlier->verified)
                answer["reason"] = earlier->reason;
            return reply(res, 200, answer);
        }
        if (!session->open || session->locked) {
            tx->commit();
            return session->open ? refuse(res, 409, "locked",
                                          "先生が送信を止めています。少し待ってください。")
                                 : sessionClosed(res);
        }
        const DeviceCounts before = tx->deviceCounts(code);
        RunRecord r;
        r.session = code;
        r.device = tx->joinDevice(code, run.device, nowIso());
        r.key = run.key;
        r.mode = run.receipt.mode;
        r.momotaro = run.receipt.momotaroStart;
        r.dog = run.receipt.dogStart;
        r.meetings = run.meetings;
        r.seconds = run.seconds;
        r.verified = reason.empty();
        r.reason = reason;
        r.receipt = run.receiptJson;
        r.at = nowIso();
        r.id = tx->addRun(r);
        tx->appendEvent(code, "run", runJson(r).dump());
        const DeviceCounts after = tx->deviceCounts(code);
        if (after.joined != before.joined || after.sent != before.sent)
            tx->appendEvent(code, "devices", devicesJson(after).dump());
        tx->commit();
        ctx->hub.notify(code);
        json answer{{"run", r.id}, {"verified", r.verified}};
        if (!r.verified)
            answer["reason"] = r.reason;
        reply(res, 201, answer);
    });

    http.Post(R"(/api/sessions/([^/]+)/predictions)", [ctx](const httplib::Request &req,
                                                            httplib::Response &res) {
        auto parsed = parsePrediction(req.body);
        if (auto *r = std::get_if<Refusal>(&parsed))
            return refuse(res, *r);
        const auto &body = std::get<Prediction>(parsed);
        auto tx = ctx->write();
        const auto session = ctx->studentSession(*tx, req, res, body.device);
        if (!session)
            return;
        const std::string &code = session->code;
        if (!session->open) {
            tx->commit();
            return sessionClosed(res);
        }
        tx->joinDevice(code, body.device, nowIso());
        tx->setPrediction(code, body.device, body.choice);
        tx->appendEvent(code, "predictions", predictionsJson(tx->predictions(code)).dump());
        tx->appendEvent(code, "devices", devicesJson(tx->deviceCounts(code)).dump());
        tx->commit();
        ctx->hub.notify(code);
        reply(res, 200, json{{"choice", body.choice}});
    });

    http.Post(R"(/api/sessions/([^/]+)/control)",
              [ctx](const httplib::Request &req, httplib::Response &res) {
                  const std::string code = normalJoinCode(req.matches[1].str());
                  auto tx = ctx->write();
                  auto session = ctx->teacherSession(*tx, req, res, code);
                  if (!session)
                      return;
                  auto parsed = parseControl(req.body);
                  if (auto *r = std::get_if<Refusal>(&parsed))
                      return refuse(res, *r);
                  const std::string &action = std::get<Control>(parsed).action;
                  if (action == "lock" || action == "unlock")
                      session->locked = action == "lock";
                  else if (action == "hide" || action == "show")
                      session->hidden = action == "hide";
                  else
                      session->open = false;
                  tx->setSessionState(code, session->open, session->locked, session->hidden);
                  ctx->sessionEvent(*tx, *session);
                  tx->commit();
                  ctx->hub.notify(code);
                  reply(res, 200, stateJson(*session));
              });

    const auto removal = [ctx](bool oneRun) {
        return [ctx, oneRun](const httplib::Request &req, httplib::Response &res) {
            const std::string code = normalJoinCode(req.matches[1].str());
            const std::string number = req.matches[2].str();
            auto tx = ctx->write();
            if (!ctx->teacherSession(*tx, req, res, code))
                return;
            if (number.size() > 15)
                return refuse(res, 404, "not_found", "その記録はありません。");
            const long long n = std::stoll(number);
            const auto removed =
                oneRun ? tx->removeRun(code, n) : tx->removeDeviceRuns(code, static_cast<int>(n));
            if (!removed.empty()) {
                tx->appendEvent(code, "removed", json{{"runs", removed}}.dump());
                tx->appendEvent(code, "devices", devicesJson(tx->deviceCounts(code)).dump());
            }
            tx->commit();
            if (!removed.empty())
                ctx->hub.notify(code);
            reply(res, 200, json{{"removed", removed}});
        };
    };
    http.Delete(R"(/api/sessions/([^/]+)/runs/(\d+))", removal(true));
    http.Delete(R"(/api/sessions/([^/]+)/devices/(\d+))", removal(false));

    http.Get(R"(/api/sessions/([^/]+)/runs\.csv)",
             [ctx](const httplib::Request &req, httplib::Response &res) {
                 const std::string code = normalJoinCode(req.matches[1].str());
                 auto tx = ctx->read();
                 if (!ctx->teacherSession(*tx, req, res, code))
                     return;
                 res.set_header("Content-Disposition",
                                "attachment; filename=\"perne-class-" + code + ".csv\"");
                 res.set_header("Cache-Control", "no-store");
                 res.set_content(csvOf(tx->runs(code, false)), "text/csv; charset=utf-8");
             });

    http.Get(R"(/api/sessions/([^/]+)/events)", [this, ctx](const httplib::Request &req,
                                                            httplib::Response &res) {
        const std::string code = normalJoinCode(req.matches[1].str());
        {
            auto tx = ctx->read();
            if (!ctx->teacherSession(*tx, req, res, code))
                return;
        }
        const auto after = lastEventId(req);
        if (!after)
            return refuse(res, 400, "bad_last_event_id", "Last-Event-ID が正しくありません。");
        const int pool = m_config.threads > 0 ? m_config.threads : kDefaultThreads;
        const int most = std::max(1, pool - kThreadsKeptForRequests);
        if (++m_openStreams > most) {
            --m_openStreams;
            res.set_header("Retry-After", "5");
            return refuse(res, 503, "too_many_streams",
                          "接続が多すぎます。少し待ってからもう一度開いてください。");
        }
        for (int seen = m_mostOpenStreams.load();
             m_openStreams.load() > seen &&
             !m_mostOpenStreams.compare_exchange_weak(seen, m_openStreams.load());) {
        }
        res.set_header("Cache-Control", "no-store");
        res.set_header("X-Accel-Buffering", "no"); // a reverse proxy passes each event at once
        struct Stream
        {
            long long last;
            bool greeted = false;
        };
        auto stream = std::make_shared<Stream>(Stream{*after});
        res.set_chunked_content_provider(
            "text/event-stream",
            [ctx, code, stream](size_t, httplib::DataSink &sink) {
                if (!stream->greeted) {
                    stream->greeted = true;
                    return sink.write(": perne-class\n\n", 15);
                }
                const auto seen = ctx->hub.version(code);
                std::vector<EventRecord> events;
                {
                    auto tx = ctx->read();
                    events = tx->eventsAfter(code, stream->last, 200);
                }
                if (!events.empty()) {
                    std::string text;
                    for (const EventRecord &e : events) {
                        text += "id: " + std::to_string(e.id) + "\nevent: " + e.name +
                                "\ndata: " + escapeMarkup(e.data) + "\n\n";
                        stream->last = e.id;
                    }
                    return sink.write(text.data(), text.size());
                }
                if (!ctx->hub.wait(code, seen, std::chrono::seconds(kKeepAliveCommentSeconds)))
                    return false; // the server stops
                if (ctx->hub.version(code) == seen)
                    return sink.write(": keep-alive\n\n", 14);
                return sink.is_writable();
            },
            [ctx](bool) { --ctx->openStreams; });
    });
}

} // namespace perne::server
