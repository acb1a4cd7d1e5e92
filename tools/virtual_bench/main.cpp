// virtual-bench: a serial adapter with a bus of instruments, on a pseudo-terminal.
// The first line of output is the path of the port to connect to.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>

#include "BenchFile.h"
#include "BenchRuntime.h"
#include "FrameMonitorLine.h"

namespace {

using namespace tessaline::bench;

constexpr int kExitUsage = 2;

struct Options {
    std::string benchFile = VIRTUAL_BENCH_DEFAULT_FILE;
    std::string link;
    std::string iniDirectory;
    unsigned baud = 0;
    bool verbose = false;
};

constexpr const char* kUsage =
    "usage: virtual-bench [--bench FILE] [--link PATH] [--write-ini DIR] [--baud N] [--verbose]\n"
    "  --bench FILE     devices to simulate (default: benches/default.json beside the sources)\n"
    "  --link PATH      also make PATH a symbolic link to the port\n"
    "  --write-ini DIR  write DIR/CORVANE.INI naming the port\n"
    "  --baud N         pace the output to N bit/s, 10 bits a byte (default: unpaced)\n"
    "  --verbose        print every frame on the bus\n"
    "Commands on standard input: type help. SIGINT or SIGTERM stops the bench.\n";

// The exit code when the program is to end at once, none to go on.
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return EXIT_SUCCESS;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--bench" && hasValue) {
            options.benchFile = argv[++i];
        } else if (arg == "--link" && hasValue) {
            options.link = argv[++i];
        } else if (arg == "--write-ini" && hasValue) {
            options.iniDirectory = argv[++i];
        } else if (arg == "--baud" && hasValue) {
            char* end = nullptr;
            const unsigned long baud = std::strtoul(argv[++i], &end, 10);
            if (*end != '\0' || baud == 0 || baud > 100'000'000) {
                std::cerr << "virtual-bench: --baud wants a bit rate from 1 to 100000000\n";
                return kExitUsage;
            }
            options.baud = static_cast<unsigned>(baud);
        } else {
            std::cerr << "virtual-bench: unknown or incomplete option " << arg << "\n" << kUsage;
            return kExitUsage;
        }
    }
    return std::nullopt;
}

bool MakeLink(const std::string& link, const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    const auto status = fs::symlink_status(link, error);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        std::cerr << "virtual-bench: " << link << " exists and is not a symbolic link; not replaced\n";
        return false;
    }
    fs::remove(link, error);
    fs::create_symlink(target, link, error);
    if (error) std::cerr << "virtual-bench: cannot link " << link << ": " << error.message() << "\n";
    return !error;
}

void RemoveLink(const std::string& link, const std::string& target) {
    std::error_code error;
    if (std::filesystem::read_symlink(link, error) == target) std::filesystem::remove(link, error);
}

bool WriteIni(const std::string& directory, const std::string& port) {
    const auto path = std::filesystem::path(directory) / "CORVANE.INI";
    std::ofstream ini(path, std::ios::binary | std::ios::trunc);
    ini << "[init]\nport=" << port << "\n";
    ini.close();
    if (!ini) std::cerr << "virtual-bench: cannot write " << path.string() << "\n";
    return static_cast<bool>(ini);
}

void PrintOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

int Run(const Options& options) {
    const BenchFileResult loaded = LoadBenchFile(options.benchFile);
    if (!loaded.bench) {
        std::cerr << "virtual-bench: " << loaded.error << "\n";
        return EXIT_FAILURE;
    }

    // Signals are taken by sigwait below; every thread started from here on blocks them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a reader of our output may go away; the bench goes on

    RuntimeOptions runtimeOptions;
    runtimeOptions.baud = options.baud;
    runtimeOptions.verbose = options.verbose;
    runtimeOptions.commandFd = STDIN_FILENO;
    runtimeOptions.print = PrintOut;
    runtimeOptions.quit = [] { ::kill(::getpid(), SIGTERM); };
    BenchRuntime runtime(*loaded.bench, runtimeOptions);
    if (const auto error = runtime.Open()) {
        std::cerr << "virtual-bench: " << *error << "\n";
        return EXIT_FAILURE;
    }
    // The link and the INI file are in place by the time a script reads the port's line.
    const std::string port = runtime.SlavePath();
    if (!options.link.empty() && !MakeLink(options.link, port)) return EXIT_FAILURE;
    if (!options.iniDirectory.empty() && !WriteIni(options.iniDirectory, port)) {
        if (!options.link.empty()) RemoveLink(options.link, port);
        return EXIT_FAILURE;
    }
    PrintOut(port + "\n");
    if (options.verbose) PrintOut(std::string(kFrameMonitorHeader) + "\n");

    runtime.Start();
    int signal = 0;
    sigwait(&stopSignals, &signal);
    runtime.Stop();
    if (!options.link.empty()) RemoveLink(options.link, port);
    return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Options options;
        if (const auto code = ParseOptions(argc, argv, options)) return *code;
        return Run(options);
    } catch (const std::exception& error) {
        std::cerr << "virtual-bench: " << error.what() << "\n";
        return EXIT_FAILURE;
    }
}
