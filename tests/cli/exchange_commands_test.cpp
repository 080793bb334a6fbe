// vekvoro-admin export and import, end to end through the program.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/command_run.h"
#include "support/temp_dir.h"

namespace {

using Outcome = vv::test::CommandRun;
using vv::test::admin;

Outcome run(const std::string& command) { return vv::test::runCommand(command); }

TEST(AdminExchange, ExportThenImportTheArchiveElsewhere) {
    vv::test::TempDir dir;
    const std::string data = dir.file("data"), out = dir.file("out"), other = dir.file("other");
    std::filesystem::create_directories(out);
    ASSERT_EQ(admin("create-data '" + data + "' --demo").status, 0);
    ASSERT_EQ(admin("create-data '" + other + "'").status, 0);

    const Outcome exported = admin("export '" + data + "' --to '" + out + "' --all");
    ASSERT_EQ(exported.status, 0) << exported.out;
    EXPECT_NE(exported.out.find("Calls Exported: "), std::string::npos);
    EXPECT_EQ(admin("count '" + data + "/Export' EXPCALLS").out, "0\n");
    if (std::filesystem::exists("/usr/bin/unzip")) {
        const Outcome listed = run("/usr/bin/unzip -P qmv472815 -t '" + out + "/VEKEXPORT.ZIP'");
        EXPECT_EQ(listed.status, 0) << listed.out;
        EXPECT_NE(listed.out.find("EXPCALLS.DBF"), std::string::npos);
    }
    // Nothing changed since: a second export of new records finds none.
    EXPECT_NE(admin("export '" + data + "' --to '" + out + "'").out.find("Calls Exported: 0"), std::string::npos);

    const Outcome imported = admin("import '" + other + "' '" + out + "/VEKEXPORT.ZIP'");
    ASSERT_EQ(imported.status, 0) << imported.out;
    EXPECT_NE(imported.out.find("Restoring File EXPCALLS.DBF"), std::string::npos);
    EXPECT_NE(admin("info '" + other + "' ACCOUNT").out.find("Encrypted:   yes"), std::string::npos);
}

TEST(AdminExchange, WrongArgumentsAndBadDestinationsSaySo) {
    vv::test::TempDir dir;
    EXPECT_EQ(admin("export '" + dir.str() + "'").status, 2);
    EXPECT_EQ(admin("import '" + dir.str() + "'").status, 2);
    ASSERT_EQ(admin("create-data '" + dir.file("data") + "'").status, 0);
    const Outcome refused = admin("export '" + dir.file("data") + "' --to '" + dir.file("no/such") + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("Can Not Perform Export Process!"), std::string::npos) << refused.out;
    const Outcome missing = admin("import '" + dir.file("data") + "' '" + dir.file("none.zip") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("none.zip"), std::string::npos) << missing.out;
}

}  // namespace
