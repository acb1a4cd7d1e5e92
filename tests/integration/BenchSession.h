// The virtual bench running on a pseudo-terminal, with CORVANE.INI pointing at it in
// a scratch folder that is the current directory while the session lasts, as the
// program's own folder is when it runs. Shared by the integration tests and the
// transfer benchmark.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "BenchFile.h"
#include "BenchRuntime.h"

namespace tessaline::testing {

class BenchSession {
public:
    // baud: pacing of the adapter's output, 0 for none.
    explicit BenchSession(unsigned baud = 0) : baud_(baud) {}
    ~BenchSession() {
        if (runtime_) runtime_->Stop();
        if (!previous_.empty()) std::filesystem::current_path(previous_);
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // Loads the bench file and starts it; the error text on failure.
    std::optional<std::string> Start(const std::string& benchFile) {
        auto loaded = bench::LoadBenchFile(benchFile);
        if (!loaded.bench) return loaded.error;
        description_ = *loaded.bench;
        bench::RuntimeOptions options;
        options.baud = baud_;
        runtime_ = std::make_unique<bench::BenchRuntime>(description_, options);
        if (auto error = runtime_->Open()) return error;
        runtime_->Start();

        char folder[] = "/tmp/tessaline-bench-XXXXXX";
        if (mkdtemp(folder) == nullptr) return std::string("cannot make a scratch folder");
        folder_ = folder;
        std::ofstream(folder_ / "CORVANE.INI") << "[init]\nport=" << runtime_->SlavePath() << "\n";
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
        return std::nullopt;
    }

    // Changes the simulated bus under its lock.
    template <typename F>
    auto OnBus(F&& f) {
        return runtime_->WithBus([&](bench::VirtualBus& bus, bench::BenchTime) { return f(bus); });
    }

    const bench::BenchDescription& Description() const { return description_; }

private:
    unsigned baud_;
    bench::BenchDescription description_;
    std::unique_ptr<bench::BenchRuntime> runtime_;
    std::filesystem::path folder_;
    std::filesystem::path previous_;
};

}  // namespace tessaline::testing
