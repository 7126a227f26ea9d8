#pragma once

#include "storage.h"

#include <filesystem>
#include <memory>
#include <mutex>

struct sqlite3;

namespace perne::server {

// The storage in one SQLite file. Write-ahead log with full synchronisation: a commit is on the
// disk before it returns, so a run the server has acknowledged survives kill -9 or a power cut.
// One connection writes and one reads, each used by one transaction at a time; in the
// write-ahead log a reader never waits for the writer. The schema's version is the file's
// user_version; opening an older file brings it up to date, a newer one is refused.
class SqliteStorage final : public Storage
{
public:
    explicit SqliteStorage(const std::filesystem::path &file);
    ~SqliteStorage() override;

    std::unique_ptr<Transaction> begin(Access access) override;

    static constexpr int kSchemaVersion = 1;

    struct Connection;

private:
    std::unique_ptr<Connection> m_writer;
    std::unique_ptr<Connection> m_reader;
};

} // namespace perne::server
