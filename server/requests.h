#pragma once

#include "runcontroller.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace perne::server {

// A request body the server refuses: the status, a short code and a message for the user.
// The message never repeats what was sent.
struct Refusal
{
    int status = 400;
    std::string code;
    std::string message;
};

template <typename T> using Parsed = std::variant<T, Refusal>;

struct NewSession
{
    Point momotaro;
    Point dog;
    std::optional<std::string> teacherKey;
};

struct Join
{
    std::string device;
};

struct RunPost
{
    std::string device;
    std::string key;
    int meetings = 0;
    int seconds = 0;
    RunReceipt receipt;
    std::string receiptJson; // the receipt as the server keeps it, re-serialised
};

struct Prediction
{
    std::string device;
    std::string choice; // "both", "dog" or "same"
};

struct Control
{
    std::string action; // "lock", "unlock", "hide", "show" or "close"
};

// Each reads one JSON body strictly: an object with exactly the known members (optional ones
// may be missing), each of its type and within its range. Anything else is refused.
Parsed<NewSession> parseNewSession(std::string_view body);
Parsed<Join> parseJoin(std::string_view body);
Parsed<RunPost> parseRunPost(std::string_view body);
Parsed<Prediction> parsePrediction(std::string_view body);
Parsed<Control> parseControl(std::string_view body);

// A device id or a run's key: 22 to 64 characters of [A-Za-z0-9_-].
bool isToken(std::string_view text);

} // namespace perne::server
