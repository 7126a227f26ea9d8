// The storage behind its interface. Every engine (SQLite now; PostgreSQL later) runs these
// same cases through a factory: add an entry to kEngines.

#include "serverprocess.h"
#include "sqlitestorage.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <memory>

using namespace perne;
using namespace perne::server;
using Access = Storage::Access;

namespace {

struct Engine
{
    const char *name;
    // A storage in the folder; a second call with the same folder reopens the same data.
    std::function<std::unique_ptr<Storage>(const std::filesystem::path &)> open;
};

const Engine kEngines[] = {
    {"SQLite",
     [](const std::filesystem::path &dir) {
         return std::make_unique<SqliteStorage>(dir / "class.sqlite3");
     }},
};

void PrintTo(const Engine &engine, std::ostream *os)
{
    *os << engine.name;
}

class StorageTest : public ::testing::TestWithParam<Engine>
{
protected:
    std::filesystem::path dir = perne::testing::freshFolder("perne-storage");
    std::unique_ptr<Storage> storage = GetParam().open(dir);

    SessionRecord session(const std::string &code)
    {
        SessionRecord s;
        s.code = code;
        s.secretHash = std::string(64, 'a');
        s.momotaro = {4, 4};
        s.dog = {6, 4};
        s.created = "2026-12-08T09:00:00Z";
        return s;
    }
    RunRecord run(const std::string &code, int device, const std::string &key, int meetings)
    {
        RunRecord r;
        r.session = code;
        r.device = device;
        r.key = key;
        r.mode = RunState::DogWalking;
        r.momotaro = {1, 2};
        r.dog = {3, 4};
        r.meetings = meetings;
        r.seconds = 180;
        r.verified = meetings % 2 == 0;
        r.reason = r.verified ? "" : "違います";
        r.receipt = "{}";
        r.at = "2026-12-08T09:01:00Z";
        return r;
    }
};

} // namespace

TEST_P(StorageTest, SessionsKeepTheirPointsAndStateAndACodeIsTakenOnce)
{
    auto tx = storage->begin(Access::Write);
    EXPECT_TRUE(tx->createSession(session("AAAAAA")));
    EXPECT_FALSE(tx->createSession(session("AAAAAA"))) << "the code is taken";
    EXPECT_FALSE(tx->session("BBBBBB"));
    tx->setSessionState("AAAAAA", true, true, true);
    tx->commit();

    auto read = storage->begin(Access::Read);
    const auto s = read->session("AAAAAA");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->momotaro, (Point{4, 4}));
    EXPECT_EQ(s->dog, (Point{6, 4}));
    EXPECT_EQ(s->secretHash, std::string(64, 'a'));
    EXPECT_TRUE(s->open && s->locked && s->hidden);
    EXPECT_EQ(s->created, "2026-12-08T09:00:00Z");
}

TEST_P(StorageTest, DevicesAreNumberedInOrderOfJoiningAndKeepTheirNumber)
{
    auto tx = storage->begin(Access::Write);
    tx->createSession(session("AAAAAA"));
    tx->createSession(session("CCCCCC"));
    EXPECT_EQ(tx->joinDevice("AAAAAA", "device-one", "t"), 1);
    EXPECT_EQ(tx->joinDevice("AAAAAA", "device-two", "t"), 2);
    EXPECT_EQ(tx->joinDevice("AAAAAA", "device-one", "t"), 1);
    EXPECT_EQ(tx->joinDevice("CCCCCC", "device-two", "t"), 1) << "numbers are per session";
    tx->addRun(run("AAAAAA", 2, "key-1", 4));
    const DeviceCounts counts = tx->deviceCounts("AAAAAA");
    EXPECT_EQ(counts.joined, 2);
    EXPECT_EQ(counts.sent, 1);
    tx->commit();
}

TEST_P(StorageTest, RunsAreFoundByKeyListedInOrderAndRemovedByRunOrDevice)
{
    auto tx = storage->begin(Access::Write);
    tx->createSession(session("AAAAAA"));
    tx->createSession(session("CCCCCC"));
    const long long a = tx->addRun(run("AAAAAA", 1, "key-a", 3));
    const long long b = tx->addRun(run("AAAAAA", 2, "key-b", 4));
    const long long c = tx->addRun(run("AAAAAA", 2, "key-c", 5));
    tx->addRun(run("CCCCCC", 2, "key-a", 6)); // the same key in another session is another run
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_THROW(tx->addRun(run("AAAAAA", 1, "key-a", 9)), StorageError) << "a key is once";

    const auto byKey = tx->runByKey("AAAAAA", "key-c");
    ASSERT_TRUE(byKey);
    EXPECT_EQ(byKey->id, c);
    EXPECT_EQ(byKey->meetings, 5);
    EXPECT_FALSE(byKey->verified);
    EXPECT_EQ(byKey->reason, "違います");
    EXPECT_EQ(byKey->mode, RunState::DogWalking);
    EXPECT_EQ(byKey->dog, (Point{3, 4}));
    EXPECT_FALSE(tx->runByKey("AAAAAA", "key-z"));

    EXPECT_EQ(tx->removeRun("AAAAAA", a), std::vector<long long>{a});
    EXPECT_TRUE(tx->removeRun("AAAAAA", a).empty()) << "removed once";
    EXPECT_TRUE(tx->removeRun("CCCCCC", b).empty()) << "not that session's run";
    EXPECT_EQ(tx->removeDeviceRuns("AAAAAA", 2), (std::vector<long long>{b, c}));
    EXPECT_TRUE(tx->runs("AAAAAA", false).empty());
    EXPECT_EQ(tx->runs("AAAAAA", true).size(), 3u);
    EXPECT_TRUE(tx->runs("AAAAAA", true)[0].removed);
    EXPECT_EQ(tx->runs("CCCCCC", false).size(), 1u);
    EXPECT_EQ(tx->deviceCounts("AAAAAA").sent, 0);
    tx->commit();
}

TEST_P(StorageTest, ADevicesLaterPredictionReplacesItsEarlierOne)
{
    auto tx = storage->begin(Access::Write);
    tx->createSession(session("AAAAAA"));
    tx->setPrediction("AAAAAA", "d1", "both");
    tx->setPrediction("AAAAAA", "d2", "both");
    tx->setPrediction("AAAAAA", "d3", "same");
    tx->setPrediction("AAAAAA", "d1", "dog");
    const PredictionCounts p = tx->predictions("AAAAAA");
    EXPECT_EQ(p.both, 1);
    EXPECT_EQ(p.dog, 1);
    EXPECT_EQ(p.same, 1);
    tx->commit();
}

TEST_P(StorageTest, EventsHaveIncreasingIdsAndAreReadAfterAnId)
{
    auto tx = storage->begin(Access::Write);
    tx->createSession(session("AAAAAA"));
    tx->createSession(session("CCCCCC"));
    const long long e1 = tx->appendEvent("AAAAAA", "state", "{\"open\":true}");
    const long long other = tx->appendEvent("CCCCCC", "state", "{}");
    const long long e2 = tx->appendEvent("AAAAAA", "run", "{\"run\":1}");
    const long long e3 = tx->appendEvent("AAAAAA", "removed", "{\"runs\":[1]}");
    tx->commit();
    EXPECT_LT(e1, other);
    EXPECT_LT(other, e2);
    EXPECT_LT(e2, e3);

    auto read = storage->begin(Access::Read);
    const auto all = read->eventsAfter("AAAAAA", 0, 100);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].id, e2);
    EXPECT_EQ(all[1].name, "run");
    EXPECT_EQ(all[1].data, "{\"run\":1}");
    const auto after = read->eventsAfter("AAAAAA", e1, 1);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].id, e2);
    EXPECT_TRUE(read->eventsAfter("AAAAAA", e3, 100).empty());
}

TEST_P(StorageTest, RequestsAreCountedPerBucketAndPeriod)
{
    {
        auto tx = storage->begin(Access::Write);
        EXPECT_EQ(tx->countRequest("a:1", 100), 1);
        EXPECT_EQ(tx->countRequest("a:1", 100), 2);
        EXPECT_EQ(tx->countRequest("a:2", 100), 1);
        EXPECT_EQ(tx->countRequest("a:1", 101), 1) << "a new period starts from one";
        tx->commit();
    }
    auto again = storage->begin(Access::Write);
    EXPECT_EQ(again->countRequest("a:1", 101), 2) << "the counts are kept";
}

TEST_P(StorageTest, AnUncommittedTransactionLeavesNothingAndAReaderSeesOnlyCommits)
{
    {
        auto tx = storage->begin(Access::Write);
        tx->createSession(session("AAAAAA"));
        auto read = storage->begin(Access::Read);
        EXPECT_FALSE(read->session("AAAAAA")) << "not committed yet";
    }
    EXPECT_FALSE(storage->begin(Access::Read)->session("AAAAAA"));
}

TEST_P(StorageTest, ReopeningTheFolderFindsEverythingCommitted)
{
    {
        auto tx = storage->begin(Access::Write);
        tx->createSession(session("AAAAAA"));
        tx->addRun(run("AAAAAA", 1, "key-a", 2));
        tx->appendEvent("AAAAAA", "run", "{}");
        tx->commit();
    }
    storage.reset();
    storage = GetParam().open(dir);
    auto read = storage->begin(Access::Read);
    EXPECT_TRUE(read->session("AAAAAA"));
    EXPECT_EQ(read->runs("AAAAAA", false).size(), 1u);
    EXPECT_EQ(read->eventsAfter("AAAAAA", 0, 10).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Engines, StorageTest, ::testing::ValuesIn(kEngines),
                         [](const auto &engine) { return std::string(engine.param.name); });

// The file says which schema it holds; a file from a newer program is refused, not misread.
TEST(SqliteStorage, KeepsItsSchemaVersionAndRefusesANewerOne)
{
    const auto dir = perne::testing::freshFolder("perne-schema");
    const auto file = dir / "class.sqlite3";
    {
        SqliteStorage storage(file);
    }
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), SqliteStorage::kSchemaVersion);
    sqlite3_finalize(stmt);
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "wal");
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_THROW(SqliteStorage again(file), StorageError);
}
