// vekvoro-admin reindex and check: the index rebuild and a check that every
// tag of every table agrees with its table.
#pragma once

namespace vv::cli {

bool isIndexCommand(const char* command);

// Runs argv[1] ("reindex" or "check"); returns the exit status (0 done or
// all agree, 1 problems found, 2 wrong arguments). Engine errors are thrown.
int runIndexCommand(int argc, char** argv);

}  // namespace vv::cli
