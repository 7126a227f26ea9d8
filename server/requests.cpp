#include "requests.h"

#include "receipt.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace perne::server {
namespace {

using nlohmann::json;

Refusal malformed()
{
    return {400, "bad_json", "送られたデータを読めませんでした（JSON ではありません）。"};
}

Refusal badField(std::string_view field)
{
    // The field's name is ours, never the sender's text.
    return {400, "bad_request",
            "送られたデータの「" + std::string(field) + "」が正しくありません。"};
}

// The body as a JSON object, or nothing. Numbers too big for 64 bits, duplicate members and
// trailing text are refused by the parser or here.
std::optional<json> object(std::string_view body)
{
    json j = json::parse(body.begin(), body.end(), nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return std::nullopt;
    return j;
}

// Whether every member is a known one and every required one is there; names the first
// member that is wrong (one of ours).
std::optional<std::string_view> wrongMember(const json &j,
                                            std::initializer_list<std::string_view> required,
                                            std::initializer_list<std::string_view> optional = {})
{
    for (const auto &item : j.items()) {
        bool known = false;
        for (const auto names : {required, optional})
            for (const auto name : names)
                known = known || item.key() == name;
        if (!known)
            return std::string_view("members");
    }
    for (const auto name : required)
        if (!j.contains(name))
            return name;
    return std::nullopt;
}

std::optional<long long> integer(const json &j, long long low, long long high)
{
    if (!j.is_number_integer())
        return std::nullopt;
    long long v = 0;
    if (j.is_number_unsigned()) {
        const auto u = j.get<unsigned long long>();
        if (u > static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
            return std::nullopt;
        v = static_cast<long long>(u);
    } else {
        v = j.get<long long>();
    }
    if (v < low || v > high)
        return std::nullopt;
    return v;
}

// [x, y] with both in low..high.
std::optional<Point> point(const json &j, long long low, long long high)
{
    if (!j.is_array() || j.size() != 2)
        return std::nullopt;
    const auto x = integer(j[0], low, high);
    const auto y = integer(j[1], low, high);
    if (!x || !y)
        return std::nullopt;
    return Point{static_cast<std::int16_t>(*x), static_cast<std::int16_t>(*y)};
}

std::optional<std::string> token(const json &j)
{
    if (!j.is_string() || !isToken(j.get_ref<const std::string &>()))
        return std::nullopt;
    return j.get<std::string>();
}

std::optional<std::uint64_t> hexWord(const json &j)
{
    if (!j.is_string())
        return std::nullopt;
    const auto &s = j.get_ref<const std::string &>();
    if (s.size() != 16)
        return std::nullopt;
    std::uint64_t v = 0;
    for (const char c : s) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return std::nullopt;
        v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    return v;
}

template <typename T> std::optional<std::string_view> oneOf(const json &j, T words)
{
    if (!j.is_string())
        return std::nullopt;
    for (const std::string_view w : words)
        if (j.get_ref<const std::string &>() == w)
            return w;
    return std::nullopt;
}

constexpr long long kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr long long kInt16Max = std::numeric_limits<std::int16_t>::max();

// The receipt's shape; whether it names a run the program could make is for walkAgain.
Parsed<RunReceipt> receiptFrom(const json &j)
{
    if (!j.is_object())
        return badField("receipt");
    if (const auto wrong =
            wrongMember(j, {"mode", "momotaro", "dog", "startReading", "random", "lastPeriod"}))
        return badField("receipt." + std::string(*wrong));
    RunReceipt r;
    const auto mode = oneOf(j["mode"], std::initializer_list<std::string_view>{"both", "dog"});
    if (!mode)
        return badField("receipt.mode");
    r.mode = *mode == "both" ? RunState::BothWalking : RunState::DogWalking;
    const auto momotaro = point(j["momotaro"], kInt16Min, kInt16Max);
    const auto dog = point(j["dog"], kInt16Min, kInt16Max);
    if (!momotaro)
        return badField("receipt.momotaro");
    if (!dog)
        return badField("receipt.dog");
    r.momotaroStart = *momotaro;
    r.dogStart = *dog;
    const json &reading = j["startReading"];
    if (!reading.is_number() || !std::isfinite(reading.get<double>()) ||
        std::fabs(reading.get<double>()) > 1e7)
        return badField("receipt.startReading");
    r.startReading = static_cast<float>(reading.get<double>());
    const json &words = j["random"];
    if (!words.is_array() || words.size() != 4)
        return badField("receipt.random");
    for (std::size_t i = 0; i < 4; ++i) {
        const auto w = hexWord(words[i]);
        if (!w)
            return badField("receipt.random");
        r.random[i] = *w;
    }
    const auto last = integer(j["lastPeriod"], -1'000'000, 1'000'000);
    if (!last)
        return badField("receipt.lastPeriod");
    r.lastPeriod = *last;
    return r;
}

} // namespace

bool isToken(std::string_view text)
{
    if (text.size() < 22 || text.size() > 64)
        return false;
    for (const char c : text) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

Parsed<NewSession> parseNewSession(std::string_view body)
{
    const auto j = object(body);
    if (!j)
        return malformed();
    if (const auto wrong = wrongMember(*j, {"momotaro", "dog"}, {"teacherKey"}))
        return badField(*wrong);
    NewSession s;
    const auto momotaro = point((*j)["momotaro"], kLatticeMin, kLatticeMax);
    const auto dog = point((*j)["dog"], kLatticeMin, kLatticeMax);
    if (!momotaro)
        return badField("momotaro");
    if (!dog)
        return badField("dog");
    s.momotaro = *momotaro;
    s.dog = *dog;
    if (j->contains("teacherKey")) {
        const json &key = (*j)["teacherKey"];
        if (!key.is_string() || key.get_ref<const std::string &>().size() > 1024)
            return badField("teacherKey");
        s.teacherKey = key.get<std::string>();
    }
    return s;
}

Parsed<Join> parseJoin(std::string_view body)
{
    const auto j = object(body);
    if (!j)
        return malformed();
    if (const auto wrong = wrongMember(*j, {"device"}))
        return badField(*wrong);
    const auto device = token((*j)["device"]);
    if (!device)
        return badField("device");
    return Join{*device};
}

Parsed<RunPost> parseRunPost(std::string_view body)
{
    const auto j = object(body);
    if (!j)
        return malformed();
    if (const auto wrong = wrongMember(*j, {"device", "key", "meetings", "seconds", "receipt"}))
        return badField(*wrong);
    RunPost run;
    const auto device = token((*j)["device"]);
    if (!device)
        return badField("device");
    const auto key = token((*j)["key"]);
    if (!key)
        return badField("key");
    const auto meetings = integer((*j)["meetings"], 0, kMeetingCountMax);
    if (!meetings)
        return badField("meetings");
    // A run that crossed midnight before Stop may have run long; a day bounds it.
    const auto seconds = integer((*j)["seconds"], 0, 86400);
    if (!seconds)
        return badField("seconds");
    auto receipt = receiptFrom((*j)["receipt"]);
    if (auto *refused = std::get_if<Refusal>(&receipt))
        return *refused;
    run.device = *device;
    run.key = *key;
    run.meetings = static_cast<int>(*meetings);
    run.seconds = static_cast<int>(*seconds);
    run.receipt = std::get<RunReceipt>(receipt);
    run.receiptJson = receiptJson(run.receipt);
    return run;
}

Parsed<Prediction> parsePrediction(std::string_view body)
{
    const auto j = object(body);
    if (!j)
        return malformed();
    if (const auto wrong = wrongMember(*j, {"device", "choice"}))
        return badField(*wrong);
    const auto device = token((*j)["device"]);
    if (!device)
        return badField("device");
    const auto choice =
        oneOf((*j)["choice"], std::initializer_list<std::string_view>{"both", "dog", "same"});
    if (!choice)
        return badField("choice");
    return Prediction{*device, std::string(*choice)};
}

Parsed<Control> parseControl(std::string_view body)
{
    const auto j = object(body);
    if (!j)
        return malformed();
    if (const auto wrong = wrongMember(*j, {"action"}))
        return badField(*wrong);
    const auto action =
        oneOf((*j)["action"],
              std::initializer_list<std::string_view>{"lock", "unlock", "hide", "show", "close"});
    if (!action)
        return badField("action");
    return Control{std::string(*action)};
}

} // namespace perne::server
