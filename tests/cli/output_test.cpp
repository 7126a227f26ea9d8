// perne-stats writes into what it is given as a shell redirection would: regular files are
// replaced whole and keep their permissions and owner, links have their targets written,
// devices and pipes are written where they are; a failed write is said and fails the program.
#include "output.h"
#include "printable.h"
#include "program.h"

#include "scratchfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace perne::cli;
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

namespace {

// Runs a shell command line in the scratch folder; $P in it is perne-stats. Its exit status.
int shell(const std::string &folder, const std::string &line)
{
    const std::string command = "cd '" + folder + "' && P='" PERNE_STATS_PROGRAM "' && " + line;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// A name of one of the program's own descriptors is written through that descriptor, as a
// shell would: appended where standard output was opened to append, into a pipe, after what
// is already there; never by replacing the file behind it. One that is not open for writing
// is refused before any work, and so is one file named twice through descriptors.
TEST_F(Output, OurOwnDescriptorsAreWrittenThroughWhereTheyStand)
{
    // One mode: the sanitizer build takes seconds for each start.
    const std::string fixed = " --mode dog --runs 0 --seed 1";
    std::ostringstream table, csvText, err;
    ASSERT_EQ(runProgram({"--mode", "dog", "--runs", "0", "--seed", "1", "--curve", path("curve")},
                         table, err, false),
              kExitOk);
    ASSERT_EQ(runProgram({"--mode", "dog", "--runs", "0", "--csv", "-"}, csvText, err, false),
              kExitOk);
    const std::string curve = slurp("curve");
    const std::string both = csvText.str() + table.str();
    const std::string earlier = "earlier\n";

    // shell line; the file it writes, there before with "earlier"; what that file must hold
    const struct
    {
        std::string line, file, expected;
    } cases[] = {
        {"$P" + fixed + " --csv /dev/stdout >>log", "log", earlier + both},
        {"$P" + fixed + " --csv /dev/stdout >out", "out", both},
        {"{ $P" + fixed + " --csv /dev/stdout; echo $? >status; } | cat >piped", "piped", both},
        {"$P" + fixed + " --curve /proc/self/fd/3 3>>three >/dev/null", "three", earlier + curve},
        {"$P" + fixed + " --csv /dev/fd/2 2>err >/dev/null", "err", csvText.str()},
        {"ln -s /dev/stdout link; $P" + fixed + " --csv link >linked", "linked", both},
    };
    for (const auto &c : cases) {
        std::ofstream(path("status")) << "0\n";
        std::ofstream(path(c.file)) << earlier;
        const ino_t before = facts(c.file).st_ino;
        EXPECT_EQ(shell(m_folder, c.line), kExitOk) << c.line;
        EXPECT_EQ(slurp("status"), "0\n") << c.line;
        EXPECT_EQ(slurp(c.file), c.expected) << c.line;
        EXPECT_EQ(facts(c.file).st_ino, before) << c.line;
    }

    const std::string refused[] = {"$P --csv /dev/stdin <input 2>err", "$P --csv /dev/fd/9 2>err",
                                   "$P --csv /dev/fd/2 --curve /dev/stderr 2>err",
                                   "$P --runs 2 --csv - --svg input >input 2>err"};
    for (const std::string &line : refused) {
        std::ofstream(path("input")) << "keep\n";
        EXPECT_EQ(shell(m_folder, line), kExitUsage) << line;
        const std::string said = slurp("err");
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        if (line.find("<input") != std::string::npos) {
            EXPECT_EQ(slurp("input"), "keep\n");
        }
    }
    EXPECT_FALSE(temporariesLeft());
}

// Standard output redirected into a file that an option names by its path (or by a link or
// a hard link to it) would lose the table: the file would be replaced under it, or written
// over. That is refused before any work, in one line, and the file is left as the shell made
// it; named through /dev/stdout the same file takes both, in order.
TEST_F(Output, AnOutputThatIsTheFileStandardOutputGoesToIsRefused)
{
    const std::string refused[] = {
        "$P --runs 2 --svg out >out 2>err",
        "$P --runs 2 --csv ./out >>out 2>err",
        "ln -s out link; $P --runs 2 --curve link >out 2>err",
        "ln out hard; $P --runs 2 --distribution hard >out 2>err",
        "$P --runs 2 --svg other.svg --csv out >out 2>err",
    };
    const std::string options[] = {"--svg", "--csv", "--curve", "--distribution", "--csv"};
    for (std::size_t i = 0; i < std::size(refused); ++i) {
        for (const char *name : {"out", "link", "hard", "other.svg"})
            fs::remove(path(name));
        std::ofstream(path("out")) << "earlier\n";
        EXPECT_EQ(shell(m_folder, refused[i]), kExitUsage) << refused[i];
        EXPECT_EQ(slurp("err"), "perne-stats: " + options[i] +
                                    ": 標準出力と同じファイルには書けません / cannot write to "
                                    "the file standard output goes to\n")
            << refused[i];
        // ">" emptied it, ">>" kept it; nothing of ours is in it either way.
        EXPECT_EQ(slurp("out"), refused[i].find(">>") != std::string::npos ? "earlier\n" : "")
            << refused[i];
        EXPECT_FALSE(fs::exists(path("other.svg"))) << refused[i];
    }

    // Another file, or the same one through our own descriptor, is written as before.
    const std::string fixed = " --mode dog --runs 0 --seed 1";
    std::ostringstream table, csvText, err;
    ASSERT_EQ(runProgram({"--mode", "dog", "--runs", "0", "--seed", "1"}, table, err, false),
              kExitOk);
    ASSERT_EQ(runProgram({"--mode", "dog", "--runs", "0", "--csv", "-"}, csvText, err, false),
              kExitOk);
    EXPECT_EQ(shell(m_folder, "$P" + fixed + " --csv /dev/stdout >out"), kExitOk);
    EXPECT_EQ(slurp("out"), csvText.str() + table.str());
    EXPECT_EQ(shell(m_folder, "$P" + fixed + " --csv r.csv >out"), kExitOk);
    EXPECT_EQ(slurp("out"), table.str());
    EXPECT_EQ(slurp("r.csv"), csvText.str());
    EXPECT_FALSE(temporariesLeft());
}

// A signal that comes while a temporary file exists (the first, or the second once the first
// is complete) removes every temporary file, leaves the files that were to be replaced as
// they were, and ends the program with that signal. A signal the program ignores (SIGHUP under
// nohup) stays ignored.
TEST_F(Output, AnInterruptWhileTheTemporaryFilesExistLeavesNothingBehind)
{
    const std::string big(4 << 20, 'x');
    // signal; which temporary it comes at; whether SIGHUP is ignored (SIGTERM follows then)
    const struct
    {
        int signal, at;
        bool ignoreHangUp;
    } cases[] = {{SIGINT, 1, false},
                 {SIGTERM, 2, false},
                 {SIGHUP, 1, false},
                 {SIGHUP, 2, false},
                 {SIGHUP, 1, true}};
    for (const auto &c : cases) {
        const std::string name = strsignal(c.signal) + std::string(" at ") + std::to_string(c.at);
        std::ofstream(path("a.csv")) << "old a\n";
        std::ofstream(path("b.svg")) << "old b\n";
        int told[2];
        ASSERT_EQ(::pipe(told), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(told[0]);
            for (const int s : {SIGINT, SIGTERM, SIGHUP})
                std::signal(s, s == SIGHUP && c.ignoreHangUp ? SIG_IGN : SIG_DFL);
            ::alarm(20); // never outlives the test
            int seen = 0;
            writeFiles({{path("a.csv"), big}, {path("new.csv"), big}, {path("b.svg"), big}},
                       [&](const std::string &) {
                           if (++seen == c.at && ::write(told[1], "!", 1) == 1)
                               for (;;)
                                   ::pause();
                       });
            ::_exit(0);
        }
        ::close(told[1]);
        char byte = 0;
        ASSERT_EQ(::read(told[0], &byte, 1), 1) << name;
        ::close(told[0]);
        EXPECT_TRUE(temporariesLeft()) << name;
        ::kill(child, c.signal);
        if (c.ignoreHangUp)
            ::kill(child, SIGTERM);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << name;
        EXPECT_EQ(WTERMSIG(status), c.ignoreHangUp ? SIGTERM : c.signal) << name;
        EXPECT_FALSE(temporariesLeft()) << name;
        EXPECT_EQ(slurp("a.csv"), "old a\n") << name;
        EXPECT_EQ(slurp("b.svg"), "old b\n") << name;
        EXPECT_FALSE(fs::exists(path("new.csv"))) << name;
    }
}

// A file we may write in a folder that does not let us replace it (one we may not write, or a
// sticky one such as /tmp where the file is someone else's) is written in place, as a shell
// would, and keeps being the same file; one we may not write there is refused before any
// work. Run as another user when root, since root may replace anything.
TEST_F(Output, AFileWeMayWriteInAFolderThatWillNotLetUsReplaceItIsWrittenInPlace)
{
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(m_folder.c_str(), 0755), 0);
    fs::create_directory(path("locked"));
    fs::create_directory(path("sticky"));
    make("locked/open.csv", 0666);
    make("locked/closed.csv", 0644);
    make("sticky/theirs.csv", 0666);
    ASSERT_EQ(::chmod(path("locked").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(path("sticky").c_str(), 01777), 0);
    const ino_t open = facts("locked/open.csv").st_ino;
    const ino_t theirs = facts("sticky/theirs.csv").st_ino;

    // file given; status; whether it then holds the CSV
    const std::vector<std::tuple<std::string, int, bool>> cases = {
        {"locked/open.csv", kExitOk, true},
        {"locked/closed.csv", kExitUsage, false},
        {"locked/new.csv", kExitUsage, false},
        {"sticky/theirs.csv", kExitOk, root}};
    for (const auto &[name, expected, written] : cases) {
        if (!root && name.starts_with("sticky"))
            continue; // a file of another user takes root to make
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (root &&
                (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(99);
            ::_exit(run(path(name)));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << name;
        EXPECT_EQ(WEXITSTATUS(status), expected) << name;
        if (fs::exists(path(name))) {
            EXPECT_EQ(slurp(name), written ? csv() : "old\n") << name;
        }
    }
    EXPECT_EQ(facts("locked/open.csv").st_ino, open);
    if (root) {
        EXPECT_EQ(facts("sticky/theirs.csv").st_ino, theirs);
    }
    EXPECT_FALSE(fs::exists(path("locked/new.csv")));
    ASSERT_EQ(::chmod(path("locked").c_str(), 0755), 0); // so that it can be removed
}

// A name shown in a message cannot move the terminal's cursor, end the line or turn the text
// around: control characters and bytes that are not UTF-8 are written out; Japanese stays.
TEST(Printable, WritesOutWhatATerminalWouldActOn)
{
    const std::pair<std::string, std::string> cases[] = {
        {"ペルネ 曲線.csv", "ペルネ 曲線.csv"},
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {"\x1B[2J\x7F", "\\x1B[2J\\x7F"},
        {"\xC2\x9B"
         "1m",
         "\\x9B1m"},                                     // the one-byte CSI of C1
        {"abc\xE2\x80\xAEvsc.csv", "abc\\u202Evsc.csv"}, // right-to-left override
        {"\xFF\xC0\xAF.csv", "\\xFF\\xC0\\xAF.csv"},     // not UTF-8, an overlong slash
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},             // a surrogate
        {"end\xE3\x81", "end\\xE3\\x81"},                // cut short
        {"\xF0\x9F\x90\x95", "\xF0\x9F\x90\x95"}};       // a dog, four bytes
    for (const auto &[text, shown] : cases)
        EXPECT_EQ(printable(text), shown) << shown;
}
