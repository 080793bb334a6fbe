#include "support/temp_dir.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

namespace vv::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vvtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string fixturePath(const std::string& relative) {
    return std::string(VV_TEST_DATA_DIR) + "/" + relative;
}

}  // namespace vv::test
