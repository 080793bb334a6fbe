// Damaged tables and memo files: each is reported as CorruptFile naming the
// file, never read out of bounds.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "db/byte_order.h"
#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

using namespace vv::db;
using vv::test::TempDir;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A two-record table with a memo; header 32 + 3*32 + 1 = 129 bytes, record 1+10+8+10 = 29.
void makeTable(const TempDir& dir) {
    Table::create(dir.str(), "T.DBF",
                  {{"NAME", FieldType::Character, 10, 0, 0, 0}, {"DATE", FieldType::Date, 8, 0, 0, 0},
                   {"NOTES", FieldType::Memo, 10, 0, 0, 0}});
    auto t = Table::open(dir.str(), "T.DBF");
    for (const char* n : {"one", "two"}) {
        t->append();
        t->setText("NAME", n);
        t->setText("NOTES", std::string("notes of ") + n);
        t->post();
    }
}

struct Damage {
    const char* what;
    std::function<void(std::string& dbf, std::string& fpt)> apply;
};

void readEverything(const TempDir& dir) {
    auto t = Table::open(dir.str(), "T.DBF");
    for (t->first(); !t->eof(); t->next()) t->getText("NOTES");
}

TEST(CorruptTable, EveryDamageIsReportedAsCorruptFileNamingTheFile) {
    const Damage damages[] = {
        {"empty file", [](std::string& d, std::string&) { d.clear(); }},
        {"truncated header", [](std::string& d, std::string&) { d.resize(40); }},
        {"unknown version", [](std::string& d, std::string&) { d[0] = '\x42'; }},
        {"header longer than file", [](std::string& d, std::string&) { writeLe16(reinterpret_cast<unsigned char*>(&d[8]), 60000); }},
        {"header too short", [](std::string& d, std::string&) { writeLe16(reinterpret_cast<unsigned char*>(&d[8]), 20); }},
        {"record count beyond file", [](std::string& d, std::string&) { writeLe32(reinterpret_cast<unsigned char*>(&d[4]), 1000000); }},
        {"record count near 2^32", [](std::string& d, std::string&) { writeLe32(reinterpret_cast<unsigned char*>(&d[4]), 0xFFFFFFFF); }},
        {"zero record length", [](std::string& d, std::string&) { writeLe16(reinterpret_cast<unsigned char*>(&d[10]), 0); }},
        {"field beyond record", [](std::string& d, std::string&) { d[32 + 16] = static_cast<char>(200); }},
        {"no terminator", [](std::string& d, std::string&) { d[32 + 3 * 32] = 'X'; }},
        {"unknown field type", [](std::string& d, std::string&) { d[32 + 11] = '!'; }},
        {"zero width field", [](std::string& d, std::string&) { d[32 + 32 + 16] = 0; }},
        {"memo pointer beyond memo file", [](std::string& d, std::string&) {
             d.replace(129 + 19, 10, "    999999");
         }},
        {"memo pointer not a number", [](std::string& d, std::string&) { d.replace(129 + 19, 10, "  12ab  34"); }},
        {"memo length past end", [](std::string& d, std::string& f) {
             const uint32_t block = std::stoul(d.substr(129 + 19, 10));
             writeBe32(reinterpret_cast<unsigned char*>(&f[block * 64 + 4]), 0x7FFFFFF0);
         }},
        {"memo block size zero", [](std::string&, std::string& f) { f[6] = f[7] = 0; }},
        {"memo file truncated", [](std::string&, std::string& f) { f.resize(100); }},
    };
    for (const auto& damage : damages) {
        TempDir dir;
        makeTable(dir);
        std::string dbf = readAll(dir.file("T.DBF"));
        std::string fpt = readAll(dir.file("T.FPT"));
        damage.apply(dbf, fpt);
        writeAll(dir.file("T.DBF"), dbf);
        writeAll(dir.file("T.FPT"), fpt);
        try {
            readEverything(dir);
            ADD_FAILURE() << damage.what << ": no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::CorruptFile) << damage.what << ": " << e.what();
            EXPECT_TRUE(std::string(e.what()).find("T.DBF") != std::string::npos ||
                        std::string(e.what()).find("T.FPT") != std::string::npos)
                << damage.what << ": " << e.what();
        }
    }
}

TEST(CorruptTable, OverlappingFieldsInAVisualFoxProTable) {
    TempDir dir;
    Table::create(dir.str(), "V.DBF",
                  {{"A", FieldType::Character, 10, 0, 0, 0}, {"B", FieldType::Integer, 4, 0, 0, 0}});
    std::string dbf = readAll(dir.file("V.DBF"));
    ASSERT_EQ(static_cast<unsigned char>(dbf[0]), 0x30);
    writeLe32(reinterpret_cast<unsigned char*>(&dbf[32 + 32 + 12]), 5);  // B starts inside A
    writeAll(dir.file("V.DBF"), dbf);
    try {
        Table::open(dir.str(), "V.DBF");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CorruptFile);
        EXPECT_NE(std::string(e.what()).find("overlap"), std::string::npos);
    }
}

}  // namespace

namespace {

TEST(CorruptTable, ImpossibleDateTimeDayReadsAsNoDate) {
    TempDir dir;
    Table::create(dir.str(), "V.DBF", {{"AT", FieldType::DateTime, 8, 0, 0, 0}});
    {
        auto t = Table::open(dir.str(), "V.DBF");
        t->append();
        t->setDate("AT", Date::fromYmd(2024, 1, 2));
        t->post();
    }
    std::string dbf = readAll(dir.file("V.DBF"));
    const std::size_t at = dbf.size() - 1 - 8;  // the field, before the end marker
    for (uint32_t day : {0xFFFFFFFFu, 0x30303030u, 1u}) {
        writeLe32(reinterpret_cast<unsigned char*>(&dbf[at]), day);
        writeAll(dir.file("V.DBF"), dbf);
        auto t = Table::open(dir.str(), "V.DBF");
        EXPECT_TRUE(t->getDate("AT").isEmpty()) << day;
        EXPECT_EQ(t->getText("AT"), "") << day;
    }
}

}  // namespace
