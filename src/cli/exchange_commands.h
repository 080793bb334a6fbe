// vekvoro-admin export and import: the exchange with the full edition for
// scripted (nightly) runs, through the same code as the windows.
#pragma once

namespace vv::cli {

// Whether `command` is one of the exchange commands.
bool isExchangeCommand(const char* command);

// Runs argv[1] ("export" or "import") with its arguments; returns the exit
// status (0 done, 1 failed, 2 wrong arguments). Engine errors are thrown.
int runExchangeCommand(int argc, char** argv);

}  // namespace vv::cli
