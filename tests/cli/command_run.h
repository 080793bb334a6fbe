// Running vekvoro-admin (or any shell command) from a test, as a user would
// in a terminal: its output and exit status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace vv::test {

struct CommandRun {
    int status;       // exit status; -1 when the command did not exit normally
    std::string out;  // stdout, with stderr when asked for
};

inline CommandRun runCommand(const std::string& command, bool withErrors = true) {
    FILE* p = popen((command + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    const int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// vekvoro-admin with `args` (quote paths with shellQuote).
inline CommandRun admin(const std::string& args, bool withErrors = true) {
    return runCommand(std::string(VV_ADMIN_PATH) + " " + args, withErrors);
}

inline std::string shellQuote(const std::string& s) { return "'" + s + "'"; }

}  // namespace vv::test
