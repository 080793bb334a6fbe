#include "cli/index_commands.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "data/index_rebuild.h"

namespace vv::cli {
namespace {

void progress(const std::string& message) { std::cerr << message << '\n'; }

int usage(const char* text) {
    std::cerr << "usage: vekvoro-admin " << text << '\n';
    return 2;
}

int reindex(int argc, char** argv) {
    if (argc < 3 || argv[2][0] == '-') return usage("reindex DIR [TABLE ...]");
    std::vector<std::string> only(argv + 3, argv + argc);
    data::rebuildIndexes(argv[2], progress, only);
    return 0;
}

int check(int argc, char** argv) {
    if (argc != 3 || argv[2][0] == '-') return usage("check DIR");
    const auto problems = data::checkIndexes(argv[2], progress);
    for (const auto& p : problems)
        std::cout << p.table << (p.tag.empty() ? "" : " tag " + p.tag) << ": " << p.message << '\n';
    if (problems.empty()) std::cout << "Every index agrees with its table\n";
    return problems.empty() ? 0 : 1;
}

}  // namespace

bool isIndexCommand(const char* command) {
    return std::strcmp(command, "reindex") == 0 || std::strcmp(command, "check") == 0;
}

int runIndexCommand(int argc, char** argv) {
    return std::strcmp(argv[1], "reindex") == 0 ? reindex(argc, argv) : check(argc, argv);
}

}  // namespace vv::cli
