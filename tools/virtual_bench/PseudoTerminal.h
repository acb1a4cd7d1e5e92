// The pseudo-terminal pair the adapter serves: the master end stays with the
// bench, the slave's path goes to the workbench as its serial port. The line is
// raw (no echo, no line editing) so packet bytes pass unchanged.
#pragma once

#include <optional>
#include <string>

namespace tessaline::bench {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens the pair; the error text when that fails. The slave is opened once
    // and closed again, so that the master reports a hang-up until the
    // workbench opens it, exactly as after the workbench closed it.
    std::optional<std::string> Open();

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // Drops bytes still queued towards a slave that has gone away.
    void DiscardQueued() const;

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace tessaline::bench
