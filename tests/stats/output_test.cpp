// perne-stats writes into what it is given as a shell redirection would: regular files are
// replaced whole and keep their permissions and owner, links have their targets written,
// devices and pipes are written where they are; a failed write is said and fails the program.
#include "program.h"

#include "scratchfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace perne::stats;
namespace fs = std::filesystem;

namespace {

class Output : public ScratchFolder
{
protected:
    void make(const std::string &name, mode_t mode) const
    {
        std::ofstream(path(name)) << "old\n";
        ASSERT_EQ(::chmod(path(name).c_str(), mode), 0);
    }
    struct stat facts(const std::string &name) const
    {
        struct stat s
        {};
        EXPECT_EQ(::lstat(path(name).c_str(), &s), 0) << name;
        return s;
    }
    bool temporariesLeft() const
    {
        for (const auto &entry : fs::directory_iterator(m_folder)) {
            if (entry.path().filename().string().starts_with(".perne-stats"))
                return true;
        }
        return false;
    }
    // The program's CSV for the start position, as "--csv -" prints it.
    static std::string csv()
    {
        std::ostringstream out, err;
        EXPECT_EQ(runProgram({"--runs", "0", "--csv", "-"}, out, err, false), kExitOk);
        return out.str();
    }
    static int run(const std::string &target)
    {
        std::ostringstream out, err;
        return runProgram({"--runs", "0", "--csv", target}, out, err, false);
    }
};

} // namespace

TEST_F(Output, FilesAndLinksAreWrittenAsARedirectionWouldAndKeepTheirMode)
{
    const bool root = ::geteuid() == 0;
    make("readonly.csv", 0444);
    if (root) { // someone else's file stays theirs
        ASSERT_EQ(::chown(path("readonly.csv").c_str(), 1234, 1234), 0);
    }
    make("private.csv", 0600);
    fs::create_directory(path("sub"));
    make("sub/target.csv", 0640);
    fs::create_symlink("sub/target.csv", path("link.csv"));
    fs::create_symlink("link.csv", path("link-to-link.csv"));
    fs::create_symlink("made.csv", path("dangling.csv"));
    const std::string expected = csv();
    const mode_t mask = ::umask(0);
    ::umask(mask);

    // name given; file that must hold the CSV; its mode afterwards
    const struct
    {
        const char *given, *written;
        mode_t mode;
    } cases[] = {{"readonly.csv", "readonly.csv", 0444},
                 {"private.csv", "private.csv", 0600},
                 {"link-to-link.csv", "sub/target.csv", 0640},
                 {"dangling.csv", "made.csv", mode_t(0666 & ~mask)}};
    for (const auto &c : cases) {
        if (!root && c.mode == 0444)
            continue; // only root may write a read-only file
        ASSERT_EQ(run(path(c.given)), kExitOk) << c.given;
        EXPECT_EQ(slurp(c.written), expected) << c.given;
        EXPECT_TRUE(S_ISREG(facts(c.written).st_mode)) << c.given;
        EXPECT_EQ(facts(c.written).st_mode & 07777, c.mode) << c.given;
    }
    if (root) {
        EXPECT_EQ(facts("readonly.csv").st_uid, 1234u);
    }
    for (const char *link : {"link.csv", "link-to-link.csv", "dangling.csv"})
        EXPECT_TRUE(S_ISLNK(facts(link).st_mode)) << link;
    EXPECT_EQ(fs::read_symlink(path("dangling.csv")), "made.csv");

    // A named pipe is written into; the reading end is open already, and the CSV fits in the
    // pipe's buffer.
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    const int reader = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(run(path("pipe")), kExitOk);
    std::string piped(expected.size() + 1, '\0');
    piped.resize(std::size_t(std::max<ssize_t>(0, ::read(reader, piped.data(), piped.size()))));
    ::close(reader);
    EXPECT_EQ(piped, expected);
    EXPECT_TRUE(S_ISFIFO(facts("pipe").st_mode));
    EXPECT_FALSE(temporariesLeft());
}

// A private copy of /dev/null is written into and stays a device; one of /dev/full makes the
// program say which file and why, fail, and write none of the other files.
TEST_F(Output, DevicesAreWrittenWhereTheyAreAndAFullOneFailsTheProgram)
{
    if (::mknod(path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
        ::mknod(path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "mknod: " << std::strerror(errno);
    EXPECT_EQ(run(path("null")), kExitOk);
    EXPECT_TRUE(S_ISCHR(facts("null").st_mode));
    EXPECT_EQ(facts("null").st_rdev, makedev(1, 3));

    std::ostringstream out, err;
    const int status = runProgram(
        {"--runs", "2", "--csv", path("full"), "--svg", path("chart.svg")}, out, err, false);
    EXPECT_EQ(status, kExitFailed);
    EXPECT_EQ(err.str(), "perne-stats: " + path("full") + ": " + std::strerror(ENOSPC) + "\n");
    EXPECT_TRUE(S_ISCHR(facts("full").st_mode));
    EXPECT_FALSE(fs::exists(path("chart.svg")));
    EXPECT_FALSE(temporariesLeft());
}

// Standard output on a full disk: the table, the CSV and the help each fail with one line.
TEST_F(Output, AFullDiskBehindStandardOutputFailsTheProgramWithOneLine)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    for (const char *arguments : {"--runs 0", "--runs 0 --csv -", "--help"}) {
        const std::string command = std::string("'") + PERNE_STATS_PROGRAM + "' " + arguments +
                                    " >/dev/full 2>'" + path("err") + "'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << arguments;
        EXPECT_EQ(WEXITSTATUS(status), kExitFailed) << arguments;
        EXPECT_EQ(slurp("err"), std::string("perne-stats: 標準出力 (standard output): ") +
                                    std::strerror(ENOSPC) + "\n")
            << arguments;
    }
}
