#include "data/import_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "data/catalogue.h"
#include "data/data_folder.h"
#include "data/exchange_state.h"
#include "data/export_run.h"
#include "data/table_encryption_commands.h"
#include "data/zip_archive.h"
#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::data {
namespace {

namespace fs = std::filesystem;

TEST(ImportEntryNames, FoldersAreDroppedAndClimbingNamesRefused) {
    struct Case {
        const char* entry;
        bool refused;
        const char* fileName;
    } cases[] = {
        {"ACCOUNT.DBF", false, "ACCOUNT.DBF"},
        {"RADUVAV/DATA/ACCOUNT.DBF", false, "ACCOUNT.DBF"},
        {"RADUVAV\\DATA\\contacts.fpt", false, "contacts.fpt"},
        {"./a/./MASTPER.DBF", false, "MASTPER.DBF"},
        {"..name.dbf", false, "..name.dbf"},
        {"DATA/", false, ""},
        {"../ACCOUNT.DBF", true, ""},
        {"DATA/../../ACCOUNT.DBF", true, ""},
        {"DATA\\..\\ACCOUNT.DBF", true, ""},
        {"DATA/..", true, ""},
        {"/etc/passwd", true, ""},
        {"\\Windows\\win.ini", true, ""},
        {"C:\\RADUVAV\\DATA\\ACCOUNT.DBF", true, ""},
        {"c:ACCOUNT.DBF", true, ""},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        const EntryTarget t = entryTarget(c.entry);
        EXPECT_EQ(t.refused, c.refused) << c.entry;
        EXPECT_EQ(t.fileName, c.fileName) << c.entry;
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every file of a folder (below it too) with its bytes.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) files[fs::relative(e.path(), folder).string()] = readFile(e.path().string());
    return files;
}

// A data folder to restore into, and the full edition's side: a second
// folder whose lookup tables (plain, as they travel) go into archives.
class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        data = dir.file("data");
        vek = dir.file("vek");
        createDataFolder(data, {});
        encryptTables(data);
        createDataFolder(vek, {});
        fillDemoData(vek, db::Date::fromYmd(2026, 3, 16), {});
        archive = dir.file("in/RADUVAVFILES.ZIP");
        fs::create_directories(dir.file("in"));
    }

    ZipSource fromVek(const std::string& name, const std::string& entryName = {}) {
        return {entryName.empty() ? name : entryName, vek + "/" + name};
    }
    void pack(const std::vector<ZipSource>& sources) { writeEncryptedZip(archive, sources, kExchangePassword); }

    uint32_t records(const std::string& table) {
        auto t = db::Table::open(data, table);
        if (t->isEncrypted()) t->enableEncryption(kTablePassword);
        return t->recordCount();
    }

    test::TempDir dir;
    std::string data, vek, archive;
};

TEST_F(ImportTest, RestoresIntoTheDataFolderAndEncryptsAccountsAgain) {
    pack({fromVek("ACCOUNT.DBF", "RADUVAV/DATA/ACCOUNT.DBF"), fromVek("ACCOUNT.FPT", "RADUVAV/DATA/ACCOUNT.FPT"),
          fromVek("CONTACTS.DBF"), fromVek("CONTACTS.FPT"), fromVek("MASTPER.DBF")});
    ASSERT_EQ(records("ACCOUNT.DBF"), 0u);
    std::ofstream(data + "/MASTPER.CDX") << "an index of the replaced table";
    std::ofstream(data + "/TITLES.CDX") << "an index of a table the archive leaves alone";
    std::vector<std::string> started;
    std::vector<int> percents;
    ImportHooks hooks;
    hooks.fileStarting = [&](const std::string& name) { started.push_back(name); };
    hooks.percent = [&](int p) { percents.push_back(p); };
    const auto r = runImport({data, archive, "A:\\RADUVAVFILES.ZIP"}, hooks);

    EXPECT_EQ(r.restored.size(), 5u);
    EXPECT_EQ(records("ACCOUNT.DBF"), db::Table::open(vek, "ACCOUNT.DBF")->recordCount());
    EXPECT_GT(records("CONTACTS.DBF"), 0u);
    EXPECT_EQ(records("MASTPER.DBF"), db::Table::open(vek, "MASTPER.DBF")->recordCount());
    EXPECT_TRUE(db::Table::open(data, "ACCOUNT.DBF")->isEncrypted());
    EXPECT_TRUE(db::Table::open(data, "CONTACTS.DBF")->isEncrypted());
    EXPECT_EQ(started.front(), "RADUVAV/DATA/ACCOUNT.DBF");
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(readLastExchange(data).importArchive, "A:\\RADUVAVFILES.ZIP");
    EXPECT_FALSE(fs::exists(data + "/RADUVAV"));  // no folders recreated
    EXPECT_FALSE(fs::exists(data + "/.import-staging"));
    EXPECT_FALSE(fs::exists(data + "/MASTPER.CDX"));
    EXPECT_TRUE(fs::exists(data + "/TITLES.CDX"));
}

TEST_F(ImportTest, ATableOfTheSameNameInAnotherCaseIsReplaced) {
    fs::rename(data + "/MASTPER.DBF", data + "/mastper.dbf");
    pack({fromVek("MASTPER.DBF")});
    runImport({data, archive, {}});
    EXPECT_FALSE(fs::exists(data + "/mastper.dbf"));
    EXPECT_GT(records("MASTPER.DBF"), 0u);
}

TEST_F(ImportTest, ClimbingEntryNameRefusesTheWholeArchive) {
    const std::string evil = dir.file("evil.txt");
    std::ofstream(dir.file("payload")) << "not yours";
    const auto before = snapshot(data);
    for (const std::string& name : {std::string("../evil.txt"), evil}) {
        pack({fromVek("MASTPER.DBF"), {name, dir.file("payload")}});
        try {
            runImport({data, archive, {}});
            FAIL() << "accepted " << name;
        } catch (const db::Error& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::exists(evil));
        EXPECT_EQ(snapshot(data), before) << name;
    }
}

TEST_F(ImportTest, BrokenArchiveLeavesTheDataFolderAsItWas) {
    const auto before = snapshot(data);
    // A table that does not open (cut short) after good ones.
    const std::string cut = dir.file("cut/SALECODE.DBF");
    fs::create_directories(dir.file("cut"));
    std::ofstream(cut, std::ios::binary) << readFile(vek + "/SALECODE.DBF").substr(0, 20);
    pack({fromVek("ACCOUNT.DBF"), fromVek("ACCOUNT.FPT"), {"SALECODE.DBF", cut}});
    EXPECT_THROW(runImport({data, archive, {}}), db::Error);
    EXPECT_EQ(snapshot(data), before);

    // Damaged archive bytes: a checksum fails while extracting.
    pack({fromVek("ACCOUNT.DBF"), fromVek("MASTPER.DBF")});
    std::string bytes = readFile(archive);
    bytes[bytes.find("MASTPER.DBF") + 11 + 12 + 40] ^= 0x5A;
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_THROW(runImport({data, archive, {}}), db::Error);
    EXPECT_EQ(snapshot(data), before);

    EXPECT_THROW(runImport({data, dir.file("in/none.zip"), {}}), db::Error);
    EXPECT_EQ(snapshot(data), before);
}

}  // namespace
}  // namespace vv::data
