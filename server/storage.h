#pragma once

#include "walk.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace perne::server {

// What the class server keeps: sessions, the devices that joined them, their runs (each with
// the key that makes a second send harmless), predictions, the events the teacher's stream
// replays, and the counters that limit request rates. Nothing of it lives only in one
// process's memory, so a restarted or second process sees the same class.

struct SessionRecord
{
    std::string code;
    std::string secretHash; // SHA-256 of the teacher's secret, hex
    Point momotaro;
    Point dog;
    bool open = true;
    bool locked = false;
    bool hidden = false;
    std::string created; // UTC, ISO 8601
};

struct RunRecord
{
    long long id = 0; // given by the storage
    std::string session;
    int device = 0; // the device's number in its session
    std::string key;
    RunState mode = RunState::Idle;
    Point momotaro;
    Point dog;
    int meetings = 0;
    int seconds = 0;
    bool verified = false;
    std::string reason;  // why it did not reproduce; empty when it did
    std::string receipt; // as sent, JSON
    std::string at;      // UTC, ISO 8601
    bool removed = false;
};

struct EventRecord
{
    long long id = 0; // increasing, never reused
    std::string name;
    std::string data; // JSON
};

struct DeviceCounts
{
    int joined = 0;
    int sent = 0; // devices with at least one run not removed
};

struct PredictionCounts
{
    int both = 0;
    int dog = 0;
    int same = 0;
};

// The storage failed (busy, disk full, gone): the request may be tried again.
class StorageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One transaction: every change made through it becomes durable together on commit(), or
// not at all when it is destroyed uncommitted. It holds its connection until destroyed, so a
// thread keeps one at a time. Methods throw StorageError.
class Transaction
{
public:
    virtual ~Transaction() = default;

    // False when the code is taken.
    virtual bool createSession(const SessionRecord &session) = 0;
    virtual std::optional<SessionRecord> session(const std::string &code) = 0;
    virtual void setSessionState(const std::string &code, bool open, bool locked, bool hidden) = 0;

    // The device's number in the session: its old one, or the next free one (1, 2, ...).
    virtual int joinDevice(const std::string &code, const std::string &device,
                           const std::string &at) = 0;
    virtual DeviceCounts deviceCounts(const std::string &code) = 0;

    virtual std::optional<RunRecord> runByKey(const std::string &code, const std::string &key) = 0;
    // Stores the run and returns its id. The key must be new in the session.
    virtual long long addRun(const RunRecord &run) = 0;
    // Runs in the order they came, the removed ones too when asked.
    virtual std::vector<RunRecord> runs(const std::string &code, bool withRemoved) = 0;
    // Marks runs removed; returns the ids that were not removed before.
    virtual std::vector<long long> removeRun(const std::string &code, long long run) = 0;
    virtual std::vector<long long> removeDeviceRuns(const std::string &code, int device) = 0;

    // A device's later choice replaces its earlier one. choice: "both", "dog" or "same".
    virtual void setPrediction(const std::string &code, const std::string &device,
                               const std::string &choice) = 0;
    virtual PredictionCounts predictions(const std::string &code) = 0;

    // Appends an event to the session's stream and returns its id.
    virtual long long appendEvent(const std::string &code, const std::string &name,
                                  const std::string &data) = 0;
    // The session's events after `after`, oldest first, at most `limit`.
    virtual std::vector<EventRecord> eventsAfter(const std::string &code, long long after,
                                                 int limit) = 0;

    // Counts one more request in the bucket's period and returns the period's count so far.
    // Periods before `period` may be forgotten.
    virtual long long countRequest(const std::string &bucket, long long period) = 0;

    virtual void commit() = 0;
};

class Storage
{
public:
    virtual ~Storage() = default;
    enum class Access { Read, Write };
    // Transactions of one kind run one at a time; a reader sees the last commit and never
    // waits for a writer.
    virtual std::unique_ptr<Transaction> begin(Access access) = 0;
};

} // namespace perne::server
