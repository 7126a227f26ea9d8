#include "sqlitestorage.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace perne::server {
namespace {

// Each entry brings the schema from the version before it to its own (entry i: version i + 1).
// Never edit an entry once released; add one.
constexpr std::array<std::string_view, SqliteStorage::kSchemaVersion> kMigrations = {
    R"(
CREATE TABLE sessions (
    code TEXT PRIMARY KEY,
    secret_hash TEXT NOT NULL,
    momotaro_x INTEGER NOT NULL, momotaro_y INTEGER NOT NULL,
    dog_x INTEGER NOT NULL, dog_y INTEGER NOT NULL,
    open INTEGER NOT NULL DEFAULT 1,
    locked INTEGER NOT NULL DEFAULT 0,
    hidden INTEGER NOT NULL DEFAULT 0,
    created TEXT NOT NULL
);
CREATE TABLE devices (
    session TEXT NOT NULL REFERENCES sessions (code),
    device TEXT NOT NULL,
    number INTEGER NOT NULL,
    joined TEXT NOT NULL,
    PRIMARY KEY (session, device),
    UNIQUE (session, number)
);
CREATE TABLE runs (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    session TEXT NOT NULL REFERENCES sessions (code),
    device INTEGER NOT NULL,
    key TEXT NOT NULL,
    mode TEXT NOT NULL,
    momotaro_x INTEGER NOT NULL, momotaro_y INTEGER NOT NULL,
    dog_x INTEGER NOT NULL, dog_y INTEGER NOT NULL,
    meetings INTEGER NOT NULL,
    seconds INTEGER NOT NULL,
    verified INTEGER NOT NULL,
    reason TEXT NOT NULL,
    receipt TEXT NOT NULL,
    at TEXT NOT NULL,
    removed INTEGER NOT NULL DEFAULT 0,
    UNIQUE (session, key)
);
CREATE INDEX runs_by_session ON runs (session, id);
CREATE TABLE predictions (
    session TEXT NOT NULL REFERENCES sessions (code),
    device TEXT NOT NULL,
    choice TEXT NOT NULL,
    PRIMARY KEY (session, device)
);
CREATE TABLE events (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    session TEXT NOT NULL REFERENCES sessions (code),
    name TEXT NOT NULL,
    data TEXT NOT NULL
);
CREATE INDEX events_by_session ON events (session, id);
CREATE TABLE rates (
    bucket TEXT NOT NULL,
    period INTEGER NOT NULL,
    count INTEGER NOT NULL,
    PRIMARY KEY (bucket, period)
);
)",
};

[[noreturn]] void fail(sqlite3 *db, std::string_view what)
{
    throw StorageError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}

// A prepared statement, reset after each use.
class Statement
{
public:
    Statement(sqlite3 *db, std::string_view sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr) !=
            SQLITE_OK)
            fail(db, "prepare");
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int i, long long v)
    {
        check(sqlite3_bind_int64(m_stmt, i, v));
        return *this;
    }
    Statement &bind(int i, const std::string &v)
    {
        check(sqlite3_bind_text(m_stmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True while there is a row.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        fail(m_db, "step");
    }
    void run()
    {
        while (step()) {
        }
    }
    long long integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    std::string text(int column) const
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                 : std::string();
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            fail(m_db, "bind");
    }
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

void exec(sqlite3 *db, std::string_view sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "exec";
        sqlite3_free(message);
        throw StorageError(text);
    }
}

long long pragmaValue(sqlite3 *db, std::string_view pragma)
{
    Statement s(db, pragma);
    return s.step() ? s.integer(0) : 0;
}

sqlite3 *open(const std::filesystem::path &file)
{
    sqlite3 *db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw StorageError("cannot open " + file.string() + ": " + message);
    }
    sqlite3_extended_result_codes(db, 1);
    // Another process (a backup, a second server) may hold the file for a moment.
    sqlite3_busy_timeout(db, 5000);
    try {
        exec(db, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;");
        Statement wal(db, "PRAGMA journal_mode = WAL");
        if (!wal.step() || wal.text(0) != "wal")
            throw StorageError("the data folder's file system cannot hold a write-ahead log");
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    return db;
}

void migrate(sqlite3 *db)
{
    exec(db, "BEGIN IMMEDIATE");
    try {
        const long long version = pragmaValue(db, "PRAGMA user_version");
        if (version > SqliteStorage::kSchemaVersion)
            throw StorageError("the database was written by a newer perne-class (schema " +
                               std::to_string(version) + ")");
        for (long long v = version; v < SqliteStorage::kSchemaVersion; ++v)
            exec(db, kMigrations[static_cast<std::size_t>(v)]);
        exec(db, "PRAGMA user_version = " + std::to_string(SqliteStorage::kSchemaVersion));
        exec(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::string modeText(RunState mode)
{
    return mode == RunState::BothWalking ? "both" : "dog";
}

RunRecord runFrom(const Statement &s)
{
    RunRecord r;
    r.id = s.integer(0);
    r.session = s.text(1);
    r.device = static_cast<int>(s.integer(2));
    r.key = s.text(3);
    r.mode = s.text(4) == "both" ? RunState::BothWalking : RunState::DogWalking;
    r.momotaro = {static_cast<std::int16_t>(s.integer(5)), static_cast<std::int16_t>(s.integer(6))};
    r.dog = {static_cast<std::int16_t>(s.integer(7)), static_cast<std::int16_t>(s.integer(8))};
    r.meetings = static_cast<int>(s.integer(9));
    r.seconds = static_cast<int>(s.integer(10));
    r.verified = s.integer(11) != 0;
    r.reason = s.text(12);
    r.receipt = s.text(13);
    r.at = s.text(14);
    r.removed = s.integer(15) != 0;
    return r;
}

constexpr std::string_view kRunColumns =
    "id, session, device, key, mode, momotaro_x, momotaro_y, dog_x, dog_y, meetings, seconds, "
    "verified, reason, receipt, at, removed";

} // namespace

struct SqliteStorage::Connection
{
    explicit Connection(const std::filesystem::path &file) : db(open(file)) {}
    ~Connection() { sqlite3_close(db); }
    sqlite3 *db;
    std::mutex mutex;
};

namespace {

class SqliteTransaction final : public Transaction
{
public:
    SqliteTransaction(SqliteStorage::Connection &c, Storage::Access access)
        : m_lock(c.mutex), m_db(c.db)
    {
        exec(m_db, access == Storage::Access::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    ~SqliteTransaction() override
    {
        if (!m_done)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }

    void commit() override
    {
        exec(m_db, "COMMIT");
        m_done = true;
    }

    bool createSession(const SessionRecord &s) override
    {
        Statement q(m_db, "INSERT OR IGNORE INTO sessions (code, secret_hash, momotaro_x, "
                          "momotaro_y, dog_x, dog_y, open, locked, hidden, created) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        q.bind(1, s.code).bind(2, s.secretHash).bind(3, s.momotaro.x).bind(4, s.momotaro.y);
        q.bind(5, s.dog.x).bind(6, s.dog.y).bind(7, s.open).bind(8, s.locked).bind(9, s.hidden);
        q.bind(10, s.created).run();
        return sqlite3_changes(m_db) == 1;
    }

    std::optional<SessionRecord> session(const std::string &code) override
    {
        Statement q(m_db, "SELECT code, secret_hash, momotaro_x, momotaro_y, dog_x, dog_y, open, "
                          "locked, hidden, created FROM sessions WHERE code = ?");
        q.bind(1, code);
        if (!q.step())
            return std::nullopt;
        SessionRecord s;
        s.code = q.text(0);
        s.secretHash = q.text(1);
        s.momotaro = {static_cast<std::int16_t>(q.integer(2)),
                      static_cast<std::int16_t>(q.integer(3))};
        s.dog = {static_cast<std::int16_t>(q.integer(4)), static_cast<std::int16_t>(q.integer(5))};
        s.open = q.integer(6) != 0;
        s.locked = q.integer(7) != 0;
        s.hidden = q.integer(8) != 0;
        s.created = q.text(9);
        return s;
    }

    void setSessionState(const std::string &code, bool open, bool locked, bool hidden) override
    {
        Statement q(m_db, "UPDATE sessions SET open = ?, locked = ?, hidden = ? WHERE code = ?");
        q.bind(1, open).bind(2, locked).bind(3, hidden).bind(4, code).run();
    }

    int joinDevice(const std::string &code, const std::string &device,
                   const std::string &at) override
    {
        Statement find(m_db, "SELECT number FROM devices WHERE session = ? AND device = ?");
        find.bind(1, code).bind(2, device);
        if (find.step())
            return static_cast<int>(find.integer(0));
        Statement next(m_db, "SELECT COALESCE(MAX(number), 0) + 1 FROM devices WHERE session = ?");
        next.bind(1, code);
        next.step();
        const long long number = next.integer(0);
        Statement add(m_db,
                      "INSERT INTO devices (session, device, number, joined) VALUES (?, ?, ?, ?)");
        add.bind(1, code).bind(2, device).bind(3, number).bind(4, at).run();
        return static_cast<int>(number);
    }

    DeviceCounts deviceCounts(const std::string &code) override
    {
        Statement q(m_db, "SELECT (SELECT COUNT(*) FROM devices WHERE session = ?1), "
                          "(SELECT COUNT(DISTINCT device) FROM runs WHERE session = ?1 AND "
                          "removed = 0)");
        q.bind(1, code);
        q.step();
        return {static_cast<int>(q.integer(0)), static_cast<int>(q.integer(1))};
    }

    std::optional<RunRecord> runByKey(const std::string &code, const std::string &key) override
    {
        Statement q(m_db, "SELECT " + std::string(kRunColumns) +
                              " FROM runs WHERE session = ? AND key = ?");
        q.bind(1, code).bind(2, key);
        if (!q.step())
            return std::nullopt;
        return runFrom(q);
    }

    long long addRun(const RunRecord &r) override
    {
        Statement q(m_db, "INSERT INTO runs (session, device, key, mode, momotaro_x, momotaro_y, "
                          "dog_x, dog_y, meetings, seconds, verified, reason, receipt, at) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        q.bind(1, r.session).bind(2, r.device).bind(3, r.key).bind(4, modeText(r.mode));
        q.bind(5, r.momotaro.x).bind(6, r.momotaro.y).bind(7, r.dog.x).bind(8, r.dog.y);
        q.bind(9, r.meetings).bind(10, r.seconds).bind(11, r.verified).bind(12, r.reason);
        q.bind(13, r.receipt).bind(14, r.at).run();
        return sqlite3_last_insert_rowid(m_db);
    }

    std::vector<RunRecord> runs(const std::string &code, bool withRemoved) override
    {
        Statement q(m_db, "SELECT " + std::string(kRunColumns) +
                              " FROM runs WHERE session = ? AND (removed = 0 OR ?) ORDER BY id");
        q.bind(1, code).bind(2, withRemoved);
        std::vector<RunRecord> out;
        while (q.step())
            out.push_back(runFrom(q));
        return out;
    }

    std::vector<long long> removeRun(const std::string &code, long long run) override
    {
        return remove("id = ?", code, run);
    }

    std::vector<long long> removeDeviceRuns(const std::string &code, int device) override
    {
        return remove("device = ?", code, device);
    }

    void setPrediction(const std::string &code, const std::string &device,
                       const std::string &choice) override
    {
        Statement q(m_db, "INSERT INTO predictions (session, device, choice) VALUES (?, ?, ?) "
                          "ON CONFLICT (session, device) DO UPDATE SET choice = excluded.choice");
        q.bind(1, code).bind(2, device).bind(3, choice).run();
    }

    PredictionCounts predictions(const std::string &code) override
    {
        Statement q(m_db, "SELECT choice, COUNT(*) FROM predictions WHERE session = ? "
                          "GROUP BY choice");
        q.bind(1, code);
        PredictionCounts counts;
        while (q.step()) {
            const std::string choice = q.text(0);
            const int n = static_cast<int>(q.integer(1));
            (choice == "both" ? counts.both : choice == "dog" ? counts.dog : counts.same) = n;
        }
        return counts;
    }

    long long appendEvent(const std::string &code, const std::string &name,
                          const std::string &data) override
    {
        Statement q(m_db, "INSERT INTO events (session, name, data) VALUES (?, ?, ?)");
        q.bind(1, code).bind(2, name).bind(3, data).run();
        return sqlite3_last_insert_rowid(m_db);
    }

    std::vector<EventRecord> eventsAfter(const std::string &code, long long after,
                                         int limit) override
    {
        Statement q(m_db, "SELECT id, name, data FROM events WHERE session = ? AND id > ? "
                          "ORDER BY id LIMIT ?");
        q.bind(1, code).bind(2, after).bind(3, limit);
        std::vector<EventRecord> out;
        while (q.step())
            out.push_back({q.integer(0), q.text(1), q.text(2)});
        return out;
    }

    long long countRequest(const std::string &bucket, long long period) override
    {
        Statement old(m_db, "DELETE FROM rates WHERE period < ?");
        old.bind(1, period - 1).run();
        Statement q(m_db, "INSERT INTO rates (bucket, period, count) VALUES (?, ?, 1) "
                          "ON CONFLICT (bucket, period) DO UPDATE SET count = count + 1 "
                          "RETURNING count");
        q.bind(1, bucket).bind(2, period);
        const long long count = q.step() ? q.integer(0) : 0;
        q.run();
        return count;
    }

private:
    std::vector<long long> remove(const std::string &which, const std::string &code,
                                  long long value)
    {
        Statement q(m_db, "UPDATE runs SET removed = 1 WHERE session = ? AND removed = 0 AND " +
                              which + " RETURNING id");
        q.bind(1, code).bind(2, value);
        std::vector<long long> ids;
        while (q.step())
            ids.push_back(q.integer(0));
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    std::unique_lock<std::mutex> m_lock;
    sqlite3 *m_db;
    bool m_done = false;
};

} // namespace

SqliteStorage::SqliteStorage(const std::filesystem::path &file)
    : m_writer(std::make_unique<Connection>(file))
{
    migrate(m_writer->db);
    m_reader = std::make_unique<Connection>(file);
}

SqliteStorage::~SqliteStorage() = default;

std::unique_ptr<Transaction> SqliteStorage::begin(Access access)
{
    return std::make_unique<SqliteTransaction>(access == Access::Write ? *m_writer : *m_reader,
                                               access);
}

} // namespace perne::server
