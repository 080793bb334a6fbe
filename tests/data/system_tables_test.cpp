#include "data/system_tables.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::data {
namespace {

TEST(SystemTablesTest, SysPathIsCreatedEmptyWithItsEightCharacterFieldsAndNoIndex) {
    test::TempDir program;
    EXPECT_FALSE(sysPathExists(program.str()));
    createSysPath(program.str());
    EXPECT_TRUE(sysPathExists(program.str()));

    auto table = db::Table::open(program.str(), "syspath.dbf");
    const std::pair<const char*, int> expected[] = {{"HOT_NAME", 50}, {"DRIVE", 1},     {"UNC_PATH", 50},
                                                    {"PROG_PATH", 50}, {"REP_PATH", 50}, {"CONT_PATH", 50},
                                                    {"WEB_PATH", 50}, {"MISC", 50}};
    ASSERT_EQ(table->fields().size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(table->fields()[i].name, expected[i].first);
        EXPECT_EQ(table->fields()[i].type, db::FieldType::Character);
        EXPECT_EQ(table->fields()[i].width, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(table->recordCount(), 0u);
    EXPECT_FALSE(table->hasMemoFile());
    table.reset();
    // No index or memo file beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(program.path()), {}), 1);

    EXPECT_THROW(createSysPath(program.str()), db::Error);
    const SysPathFolders empty = readSysPath(program.str());
    EXPECT_EQ(empty.dataFolder, "");
    EXPECT_EQ(empty.lettersFolder, "");
}

TEST(SystemTablesTest, WriteSysPathCreatesItOnceAndKeepsOneRecord) {
    test::TempDir program;
    writeSysPath(program.str(), "/srv/demo", "/srv/demo/letters/");
    writeSysPath(program.str(), "/srv/hotel\\", "/srv/hotel/letters");

    auto table = db::Table::open(program.str(), kSysPathFile);
    EXPECT_EQ(table->recordCount(), 1u);
    const SysPathFolders stored = readSysPath(program.str());
    EXPECT_EQ(stored.dataFolder, "/srv/hotel\\");
    EXPECT_EQ(stored.lettersFolder, "/srv/hotel/letters/");
    EXPECT_EQ(stored.contractFolder, "");
    EXPECT_EQ(stored.reportFolder, "");

    writeSysPath(program.str(), "/srv/demo");
    EXPECT_EQ(readSysPath(program.str()).lettersFolder, "/srv/demo/letters/");
}

TEST(SystemTablesTest, EditFirstRecordAppendsOnlyToAnEmptyTable) {
    test::TempDir program;
    createSysPath(program.str());
    auto table = db::Table::open(program.str(), kSysPathFile);
    editFirstRecord(*table);
    EXPECT_EQ(table->state(), db::Table::State::Insert);
    table->setText("MISC", "first");
    table->post();
    editFirstRecord(*table);
    EXPECT_EQ(table->state(), db::Table::State::Edit);
    EXPECT_EQ(table->getText("MISC"), "first");
    table->post();
    EXPECT_EQ(table->recordCount(), 1u);
}

TEST(SystemTablesTest, FolderTooLongForTheFieldIsRefusedNamingTheTable) {
    test::TempDir program;
    try {
        writeSysPath(program.str(), "/" + std::string(60, 'x'), "/l/");
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_NE(std::string(e.what()).find("SYSPATH"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace vv::data
