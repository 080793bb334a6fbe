#include "shared/paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vv::shared {
namespace {

// A fixed home folder, so the cases can spell out what "c:\" becomes.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* home = std::getenv("HOME")) savedHome_ = home;
        setenv("HOME", "/home/tester", 1);
    }
    void TearDown() override {
        if (savedHome_.empty())
            unsetenv("HOME");
        else
            setenv("HOME", savedHome_.c_str(), 1);
    }

private:
    std::string savedHome_;
};

struct Case {
    const char* function;
    std::function<std::string(const std::string&)> apply;
    std::string input;
    std::string expected;
};

TEST_F(PathsTest, TranslatesStoredTextsAndDerivesFolders) {
    const auto native = [](const std::string& s) { return toNativePath(s); };
    const auto trailing = [](const std::string& s) { return withTrailingSeparator(s); };
    const auto exports = [](const std::string& s) { return exportFolder(s); };
    const auto contract = [](const std::string& s) { return defaultContractFolder(s); };
    const auto onVekDrive = [](const std::string& s) { return onDriveOf(s, "vek\\contract\\"); };
    const auto folder = [](const std::string& s) { return folderOfFile(s); };
    const Case cases[] = {
        {"toNativePath", native, "", ""},
        {"toNativePath", native, "c:\\vek\\letters\\", "/home/tester/vek/letters/"},
        {"toNativePath", native, "C:\\VEK\\Data", "/home/tester/VEK/Data"},
        {"toNativePath", native, "d:\\hotel\\data\\", "/home/tester/hotel/data/"},
        {"toNativePath", native, "A:\\", "/home/tester/"},
        {"toNativePath", native, "c:", "/home/tester"},
        {"toNativePath", native, "c:vek", "/home/tester/vek"},
        {"toNativePath", native, "~/vek/data", "/home/tester/vek/data"},
        {"toNativePath", native, "/srv/vek/data/", "/srv/vek/data/"},
        {"toNativePath", native, "\\\\server\\share\\data\\", "//server/share/data/"},
        {"toNativePath", native, "data\\export", "data/export"},
        {"withTrailingSeparator", trailing, "", "/"},
        {"withTrailingSeparator", trailing, "/srv/data", "/srv/data/"},
        {"withTrailingSeparator", trailing, "/srv/data/", "/srv/data/"},
        {"withTrailingSeparator", trailing, "c:\\vek\\data\\", "c:\\vek\\data\\"},
        {"withTrailingSeparator", trailing, "d:\\data", "d:\\data\\"},
        {"withTrailingSeparator", trailing, "c:", "c:/"},
        {"exportFolder", exports, "c:\\vek\\data\\", "/home/tester/vek/data/Export/"},
        {"exportFolder", exports, "c:\\vek\\data", "/home/tester/vek/data/Export/"},
        {"exportFolder", exports, "/srv/data", "/srv/data/Export/"},
        {"exportFolder", exports, "/srv/data/", "/srv/data/Export/"},
        {"defaultContractFolder", contract, "d:\\data\\", "/home/tester/vek/contract/"},
        {"defaultContractFolder", contract, "/srv/data/", "/home/tester/vek/contract/"},
        {"defaultContractFolder", contract, "\\\\server\\share\\", "/home/tester/vek/contract/"},
        {"defaultContractFolder", contract, "", "/home/tester/vek/contract/"},
        {"onDriveOf", onVekDrive, "e:\\hotel\\data\\", "/home/tester/vek/contract/"},
        {"onDriveOf", onVekDrive, "/srv/data/", "/home/tester/vek/contract/"},
        {"folderOfFile", folder, "/opt/vekvoro/bin/vekvoro", "/opt/vekvoro/bin/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.apply(c.input), c.expected) << c.function << "(\"" << c.input << "\")";
    EXPECT_EQ(defaultLettersFolder(), "/home/tester/vek/letters/");
}

TEST_F(PathsTest, TranslatingTwiceChangesNothing) {
    for (const char* text : {"c:\\vek\\data\\", "d:\\x", "~/a", "/srv/b/", "rel\\c"})
        EXPECT_EQ(toNativePath(toNativePath(text)), toNativePath(text)) << text;
}

TEST_F(PathsTest, FileExistsMatchesTheNameInAnyCaseAndNothingElse) {
    test::TempDir dir;
    std::ofstream(dir.file("SYSTEM.DBF")) << "x";
    std::filesystem::create_directory(dir.path() / "folder.dbf");
    const std::string d = dir.str();
    EXPECT_TRUE(fileExists(d + "/system.dbf"));
    EXPECT_TRUE(fileExists(d + "/SYSTEM.DBF"));
    // A data folder stored without its separator names another file.
    EXPECT_FALSE(fileExists(d + "system.dbf"));
    EXPECT_FALSE(fileExists(d + "/"));
    EXPECT_FALSE(fileExists(d + "/folder.dbf"));
    EXPECT_FALSE(fileExists(d + "/missing/system.dbf"));
    EXPECT_FALSE(fileExists(""));
}

}  // namespace
}  // namespace vv::shared
