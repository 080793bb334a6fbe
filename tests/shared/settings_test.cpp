#include "shared/settings.h"

#include <gtest/gtest.h>

#include "db/table.h"
#include "shared/paths.h"
#include "support/temp_dir.h"
#include "support_qt/system_tables_fixture.h"

namespace vv::shared {
namespace {

TEST(SettingsTest, ExportFolderFollowsTheDataFolderEachTime) {
    const std::string saved = settings().DataFolder;
    settings().DataFolder = "/srv/hotel/data/";
    EXPECT_EQ(ExportFolder(), "/srv/hotel/data/Export/");
    settings().DataFolder = "/srv/hotel/data";
    EXPECT_EQ(ExportFolder(), "/srv/hotel/data/Export/");
    settings().DataFolder = "c:\\vek\\data\\";
    EXPECT_EQ(ExportFolder(), toNativePath("c:\\vek\\data\\Export\\"));
    settings().DataFolder = saved;
}

TEST(SettingsTest, TableOpenedLocallyHasTheLocalConnection) {
    test::TempDir dir;
    test::makeTable(dir.str(), "SYSTEM.DBF", {{"BACKUPTO", "A"}});
    EXPECT_EQ(ConnectionTypeName(*db::Table::open(dir.str(), "SYSTEM.DBF")), "Local");
}

TEST(SettingsTest, UserFieldLabelsAreNumberedOneToFive) {
    Settings s;
    s.UserFieldLabels[1] = "first";
    s.UserFieldLabels[5] = "fifth";
    EXPECT_EQ(s.UserFieldLabels[1], "first");
    EXPECT_EQ(s.UserFieldLabels[5], "fifth");
    EXPECT_THROW(s.UserFieldLabels[0], std::out_of_range);
    EXPECT_THROW(s.UserFieldLabels[6], std::out_of_range);
}

}  // namespace
}  // namespace vv::shared
