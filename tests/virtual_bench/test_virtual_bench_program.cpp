// The virtual-bench program as scripts run it: the port on its first line, the
// link and CORVANE.INI, no stop at the end of standard input, a clean stop on
// SIGTERM, and a clear message for a bad bench file.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "BenchTestSupport.h"
#include "PtyWorkbench.h"

extern char** environ;

namespace tessaline::bench {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class Program {
public:
    explicit Program(std::vector<std::string> args) {
        int out[2], err[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        args.insert(args.begin(), VIRTUAL_BENCH_PROGRAM);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, VIRTUAL_BENCH_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
        pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    }
    ~Program() {
        if (!exited_) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
        ::close(out_);
        ::close(err_);
        if (pidFd_ >= 0) ::close(pidFd_);
    }

    // Reads fd up to a newline, or to its end, within the time-out.
    static std::string ReadLine(int fd, bool toEnd = false) {
        std::string text;
        char c;
        while (true) {
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, 5000) <= 0) break;
            if (::read(fd, &c, 1) != 1) break;
            if (c == '\n' && !toEnd) break;
            text.push_back(c);
        }
        return text;
    }
    std::string FirstLine() const { return ReadLine(out_); }
    std::string Errors() const { return ReadLine(err_, true); }

    // The exit code, waiting at most 5 s; -1 when it did not exit normally.
    int Wait() {
        pollfd pfd{pidFd_, POLLIN, 0};
        ::poll(&pfd, 1, 5000);
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return -1;
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Signal(int signal) const { ::kill(pid_, signal); }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int pidFd_ = -1;
    bool exited_ = false;
};

class ScratchFolder {
public:
    ScratchFolder() {
        char name[] = "/tmp/virtual-bench-test-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~ScratchFolder() { fs::remove_all(path); }
    fs::path path;
};

TEST(VirtualBenchProgram, ServesThePortItNamesUntilSigterm) {
    ScratchFolder folder;
    const fs::path link = folder.path / "port";
    Program program({"--bench", DEFAULT_BENCH_FILE, "--link", link.string(), "--write-ini", folder.path.string()});
    const std::string port = program.FirstLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    EXPECT_EQ(fs::read_symlink(link), port);
    std::ifstream ini(folder.path / "CORVANE.INI");
    const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "[init]\nport=" + port + "\n");

    {  // standard input is /dev/null: the bench must still answer
        PtyWorkbench workbench(link.string());
        workbench.Send(FromWorkbench(5, 0, 0x80));
        const auto name = workbench.Receive();
        ASSERT_TRUE(name.has_value());
        EXPECT_EQ(std::string(name->Data, name->Data + name->Dlc), "PUMP");
    }
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the link goes with the bench";
}

TEST(VirtualBenchProgram, ABadBenchFileEndsItWithTheProblemNamed) {
    ScratchFolder folder;
    const fs::path bench = folder.path / "bench.json";
    std::ofstream(bench) << R"({"devices": [{"address": 70, "name": "X"}]})";
    Program program({"--bench", bench.string()});
    EXPECT_EQ(program.Wait(), 1);
    EXPECT_NE(program.Errors().find("devices[0].address: 70 is out of range 0 to 62"), std::string::npos);
}

TEST(VirtualBenchProgram, RefusesUnknownOptions) {
    Program program({"--colour"});
    EXPECT_EQ(program.Wait(), 2);
    EXPECT_NE(program.Errors().find("unknown or incomplete option --colour"), std::string::npos);
}

}  // namespace
}  // namespace tessaline::bench
