// vekvoro-admin report: the reports of the windows without a window, for
// scripts and scheduled printing. Each kind of report is one row of a small
// table (report_command.cpp); the calls report is the first.
#pragma once

namespace vv::cli {

bool isReportCommand(const char* command);

// Runs "report KIND DIR ..." ; returns the exit status (0 written, 1 failed,
// 2 wrong arguments). Engine errors are thrown.
int runReportCommand(int argc, char** argv);

}  // namespace vv::cli
