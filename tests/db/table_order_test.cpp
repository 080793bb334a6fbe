// Tables in the order of their compound index tags: the order itself as
// records come and go, seek, locate, master/detail, the errors that name a
// missing index or tag, encrypted indexes, and a peer engine's index read
// through the table object.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

using namespace vv::db;
using vv::test::TempDir;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint32_t> walk(Table& t, bool backwards = false) {
    std::vector<uint32_t> out;
    if (backwards) {
        for (t.last(); !t.bof() && t.recno() != 0; t.prior()) out.push_back(t.recno());
    } else {
        for (t.first(); !t.eof() && t.recno() != 0; t.next()) out.push_back(t.recno());
    }
    return out;
}

std::vector<std::string> walkField(Table& t, const char* field) {
    std::vector<std::string> out;
    for (t.first(); !t.eof() && t.recno() != 0; t.next()) out.push_back(t.getText(field));
    return out;
}

const std::vector<IndexTagSpec> kCallTags = {
    {"FILE_CODE", "FILE_CODE+DTOS(DATE)", false, {}},
    {"LASTNAME", "UPPER(C_LAST)+FILE_CODE", false, {}},
    {"DATEDESC", "DTOS(DATE)", true, {}},
    {"RATE", "RATE", false, {}},
    {"DATE", "DATE", false, {}},
};

class TableOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table::create(dir.str(), "CALLS.DBF",
                      {{"FILE_CODE", FieldType::Character, 10, 0, 0, 0},
                       {"C_LAST", FieldType::Character, 20, 0, 0, 0},
                       {"DATE", FieldType::Date, 8, 0, 0, 0},
                       {"RATE", FieldType::Numeric, 8, 2, 0, 0},
                       {"NOTES", FieldType::Memo, 10, 0, 0, 0}});
        auto t = Table::open(dir.str(), "CALLS.DBF", {.exclusive = true});
        for (const auto& [code, last, date, rate] :
             std::vector<std::tuple<const char*, const char*, const char*, const char*>>{
                 {"ACME", "smith", "03/02/26", "89.5"},
                 {"BETA", "Álvarez", "01/15/26", "-12"},
                 {"ACME", "Jones", "01/15/26", "120"},
                 {"ZULU", "adams", "", "0"},
                 {"ACME", "Smithers", "03/02/26", "5"}})
            add(*t, code, last, date, rate);
        t->rebuildIndex(kCallTags);
    }
    static void add(Table& t, const char* code, const char* last, const char* date, const char* rate) {
        t.append();
        t.setText("FILE_CODE", code);
        t.setText("C_LAST", last);
        t.setText("DATE", date);
        t.setText("RATE", rate);
        t.post();
    }
    std::unique_ptr<Table> open(bool exclusive = false) {
        return Table::open(dir.str(), "CALLS.DBF", {.exclusive = exclusive});
    }
    TempDir dir;
};

TEST_F(TableOrderTest, EachTagOrdersBothWaysAndListsItsFields) {
    auto t = open();
    struct Case {
        const char* tag;
        std::vector<uint32_t> order;
    };
    for (const Case& c : std::vector<Case>{
             {"FILE_CODE", {3, 1, 5, 2, 4}},
             {"LASTNAME", {4, 3, 1, 5, 2}},  // "Á" sorts after the ASCII letters, as its byte does
             {"DATEDESC", {5, 1, 3, 2, 4}},  // newest first; equal dates newest record first
             {"RATE", {2, 4, 5, 1, 3}},
             {"DATE", {4, 2, 3, 1, 5}}}) {
        SCOPED_TRACE(c.tag);
        t->setIndexName(c.tag);
        EXPECT_EQ(t->indexName(), c.tag);
        EXPECT_EQ(walk(*t), c.order);
        std::vector<uint32_t> back(c.order.rbegin(), c.order.rend());
        EXPECT_EQ(walk(*t, true), back);
    }
    const auto tags = t->tags();
    ASSERT_EQ(tags.size(), 5u);
    EXPECT_EQ(tags[1].name, "LASTNAME");
    EXPECT_EQ(tags[1].fieldList, "C_LAST;FILE_CODE");
    EXPECT_EQ(tags[0].fieldList, "FILE_CODE;DATE");
    EXPECT_TRUE(tags[2].descending);
    t->setIndexFieldNames("C_LAST;FILE_CODE");
    EXPECT_EQ(t->indexName(), "LASTNAME");
    t->setIndexFieldNames("file_code");  // the leading field of a tag is enough
    EXPECT_EQ(t->indexName(), "FILE_CODE");
    t->setIndexFieldNames("DATE");  // ascending DATE, not DATEDESC listed before it
    EXPECT_EQ(t->indexName(), "DATE");
    EXPECT_THROW(t->setIndexFieldNames("C_LAST;DATE"), Error);
    t->setIndexName("");
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
}

TEST_F(TableOrderTest, PostedChangesMoveRecordsInTheOrder) {
    auto t = open();
    t->setIndexName("FILE_CODE");
    add(*t, "BETA", "new", "02/01/26", "1");  // record 6
    EXPECT_EQ(t->recno(), 6u);
    t->next();  // the new record stays current and moves on from its place
    EXPECT_EQ(t->recno(), 4u);
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{3, 1, 5, 2, 6, 4}));

    t->go(1);
    t->edit();
    t->setText("FILE_CODE", "ZZZ");
    t->post();
    t->prior();
    EXPECT_EQ(t->recno(), 4u);
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{3, 5, 2, 6, 4, 1}));

    t->go(5);
    t->deleteRecord();  // hidden: the next record in the order becomes current
    EXPECT_EQ(t->recno(), 2u);
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{3, 2, 6, 4, 1}));
    Table::setShowDeleted(true);
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{3, 5, 2, 6, 4, 1}));
    Table::setShowDeleted(false);
    EXPECT_TRUE(t->verifyIndex().empty());
}

TEST_F(TableOrderTest, SeekIsExactAndRespectsTheFilter) {
    auto t = open();
    t->setIndexName("FILE_CODE");
    struct Case {
        std::vector<std::string> values;
        bool found;
        uint32_t recno;
    };
    for (const Case& c : std::vector<Case>{
             {{"ACME"}, true, 3},
             {{"ACM"}, false, 0},  // exact: a shorter code is another code
             {{"ACME", "20260302"}, true, 1},
             {{"ACME", "20260303"}, false, 0},
             {{"BETA      20260115"}, true, 2},  // the whole key in one text
             {{"ACMEACMEACMEACME"}, false, 0},
             {{""}, false, 0}}) {
        SCOPED_TRACE(c.values.front());
        t->go(4);
        EXPECT_EQ(t->seek(c.values), c.found);
        EXPECT_EQ(t->recno(), c.found ? c.recno : 4u);  // not found: the record stays
    }
    t->setFilter("RATE < 100");
    EXPECT_TRUE(t->seek("ACME"));
    EXPECT_EQ(t->recno(), 1u);  // record 3 (rate 120) is filtered out
    EXPECT_EQ(t->count(), 4u);

    t->setFilter("");
    t->setIndexName("DATE");
    EXPECT_TRUE(t->seek("01/15/26"));
    EXPECT_EQ(t->recno(), 2u);
    t->setIndexName("RATE");
    EXPECT_TRUE(t->seek("120"));
    EXPECT_EQ(t->recno(), 3u);
    EXPECT_THROW(t->seek("abc"), Error);
    t->setIndexName("");
    EXPECT_THROW(t->seek("ACME"), Error);
}

TEST_F(TableOrderTest, LocateFindsAPrefixIgnoringCaseInTheCurrentOrder) {
    auto t = open();
    struct Case {
        const char* tag;
        const char* prefix;
        bool found;
        uint32_t recno;
    };
    for (const Case& c : std::vector<Case>{{"LASTNAME", "SMITH", true, 1},
                                           {"", "smith", true, 1},
                                           {"DATEDESC", "smith", true, 5},
                                           {"LASTNAME", "álv", true, 2},
                                           {"LASTNAME", "x", false, 3},
                                           {"", "", true, 1}}) {
        SCOPED_TRACE(std::string(c.tag) + "/" + c.prefix);
        t->setIndexName(c.tag);
        t->go(3);
        EXPECT_EQ(t->locate("C_LAST", c.prefix), c.found);
        EXPECT_EQ(t->recno(), c.recno);
    }
}

TEST_F(TableOrderTest, DetailFollowsItsMaster) {
    Table::create(dir.str(), "ACCT.DBF", {{"FILE_CODE", FieldType::Character, 10, 0, 0, 0}});
    auto master = Table::open(dir.str(), "ACCT.DBF");
    for (const char* code : {"ACME", "NONE", "BETA"}) {
        master->append();
        master->setText("FILE_CODE", code);
        master->post();
    }
    auto detail = open();
    detail->setIndexName("FILE_CODE");
    master->first();
    detail->setMasterLink(master.get(), "FILE_CODE");
    EXPECT_EQ(walk(*detail), (std::vector<uint32_t>{3, 1, 5}));
    EXPECT_EQ(walk(*detail, true), (std::vector<uint32_t>{5, 1, 3}));
    EXPECT_EQ(detail->count(), 3u);
    master->next();
    detail->followMaster();
    EXPECT_TRUE(detail->isEmpty());
    EXPECT_EQ(detail->count(), 0u);
    master->next();
    detail->followMaster();
    EXPECT_EQ(walk(*detail), (std::vector<uint32_t>{2}));
    detail->setMasterLink(nullptr, "");
    EXPECT_EQ(detail->count(), 5u);
}

TEST_F(TableOrderTest, MissingIndexOrTagIsNamedWithTheCure) {
    auto t = open();
    try {
        t->setIndexName("NOSUCH");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("NOSUCH"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("\"Index Files\""), std::string::npos);
    }
    t.reset();
    std::filesystem::remove(dir.file("CALLS.CDX"));
    t = open();
    try {
        t->setIndexName("DATE");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("CALLS.CDX"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("\"Index Files\""), std::string::npos);
    }
    t.reset();
    {
        std::ofstream damaged(dir.file("CALLS.CDX"), std::ios::binary);
        damaged << std::string(2048, 'x');
    }
    t = open();
    EXPECT_THROW(t->setIndexName("DATE"), Error);
    // Storing a record would leave the damaged index behind: refused before anything is written.
    t->append();
    t->setText("FILE_CODE", "LOST?");
    EXPECT_THROW(t->post(), Error);
    EXPECT_EQ(t->state(), Table::State::Insert);
    EXPECT_EQ(t->recordCount(), 5u);
}

TEST_F(TableOrderTest, StaleIndexIsReportedByVerify) {
    const std::string before = readAll(dir.file("CALLS.CDX"));
    {
        auto t = open();
        add(*t, "NEW", "x", "01/01/26", "1");
        t->go(2);
        t->edit();
        t->setText("C_LAST", "Changed");
        t->post();
        EXPECT_TRUE(t->verifyIndex().empty());
    }
    std::ofstream(dir.file("CALLS.CDX"), std::ios::binary) << before;
    auto t = open();
    const auto problems = t->verifyIndex();
    std::ostringstream all;
    for (const auto& p : problems) all << p << "\n";
    EXPECT_NE(all.str().find("tag FILE_CODE: record 6 is missing"), std::string::npos) << all.str();
    EXPECT_NE(all.str().find("tag LASTNAME: an entry for record 2 does not match"), std::string::npos) << all.str();
    EXPECT_EQ(all.str().find("tag RATE: an entry"), std::string::npos) << all.str();
}

TEST_F(TableOrderTest, TwoUsersSeeEachOthersChangesInTheOrder) {
    auto a = open();
    auto b = open();
    a->setIndexName("LASTNAME");
    b->setIndexName("LASTNAME");
    EXPECT_EQ(walk(*b).size(), 5u);
    for (int i = 0; i < 300; ++i) add(*a, "BULK", ("m" + std::to_string(1000 + i)).c_str(), "01/01/26", "1");
    const auto names = walkField(*b, "C_LAST");
    ASSERT_EQ(names.size(), 305u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
        std::string ux = x, uy = y;
        for (auto* s : {&ux, &uy})
            for (char& c : *s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return ux < uy;
    }));
    EXPECT_TRUE(b->verifyIndex().empty());
}

TEST_F(TableOrderTest, SharedReaderFindsEverythingWhetherItsPagesAreInMemoryOrNot) {
    // Enough records for many leaves: a fresh reader meets pages it has not
    // read at every turn, and goes back for them under the lock.
    {
        auto w = open(true);
        for (int i = 0; i < 3000; ++i) add(*w, ("F" + std::to_string(100000 + i * 7 % 3000)).c_str(), "x", "01/01/26", "1");
    }
    auto reader = open();
    reader->setIndexName("FILE_CODE");
    const auto forward = walkField(*reader, "FILE_CODE");
    ASSERT_EQ(forward.size(), 3005u);
    EXPECT_TRUE(std::is_sorted(forward.begin(), forward.end()));
    auto fresh = open();
    fresh->setIndexName("FILE_CODE");
    EXPECT_EQ(walk(*fresh, true).size(), 3005u);
    for (int i = 0; i < 3000; i += 97) {
        const std::string code = "F" + std::to_string(100000 + i);
        ASSERT_TRUE(fresh->seek(code)) << code;
        EXPECT_EQ(fresh->getText("FILE_CODE"), code);
    }
    // Another user's change moves the counter: the reader looks again.
    auto writer = open();
    add(*writer, "F099999", "new", "01/01/26", "1");
    ASSERT_TRUE(reader->seek("F099999"));
    EXPECT_EQ(reader->getText("C_LAST"), "new");
    reader->next();
    EXPECT_EQ(reader->getText("FILE_CODE"), "F100000");
    reader->prior();
    reader->prior();
    EXPECT_EQ(reader->getText("FILE_CODE"), "BETA");
}

TEST_F(TableOrderTest, AddingATagAndEmptyingKeepTheIndex) {
    auto t = open(true);
    t->addTag("CODEDESC", "FILE_CODE", true);
    t->setIndexName("CODEDESC");
    EXPECT_EQ(t->recno(), 4u);  // ZULU first
    EXPECT_THROW(t->addTag("CODEDESC", "FILE_CODE"), Error);
    EXPECT_THROW(t->addTag("BAD", "NOSUCHFIELD"), Error);
    t->emptyTable();
    EXPECT_EQ(t->tags().size(), 6u);
    add(*t, "ONE", "x", "", "1");
    EXPECT_TRUE(t->verifyIndex().empty());
    t.reset();
    EXPECT_THROW(open()->addTag("X", "FILE_CODE"), Error);  // needs exclusive use
}

TEST_F(TableOrderTest, EncryptedTableKeepsItsIndexSecret) {
    {
        auto t = open(true);
        t->encryptTable("secret");
    }
    EXPECT_EQ(readAll(dir.file("CALLS.CDX")).find("JONES"), std::string::npos);
    auto t = open();
    EXPECT_THROW(t->setIndexName("LASTNAME"), Error);  // no password yet
    t->enableEncryption("secret");
    t->setIndexName("LASTNAME");
    EXPECT_EQ(walk(*t), (std::vector<uint32_t>{4, 3, 1, 5, 2}));
    add(*t, "NEW", "Aaron", "", "1");
    t->first();
    EXPECT_EQ(t->getText("C_LAST"), "Aaron");
    EXPECT_TRUE(t->verifyIndex().empty());
    t.reset();
    t = open(true);
    t->enableEncryption("secret");
    t->decryptTable();
    t->setIndexName("DATEDESC");
    EXPECT_EQ(t->recno(), 5u);
    EXPECT_NE(readAll(dir.file("CALLS.CDX")).find("JONES"), std::string::npos);
}

// The peer engine's EVENTS table through the table object: every tag in the
// order that engine lists it, deleted records hidden and shown.
TEST(PeerIndexThroughTable, EveryTagIteratesAsThePeerLists) {
    TempDir dir;
    for (const char* f : {"EVENTS.dbf", "EVENTS.fpt", "EVENTS.cdx"})
        std::filesystem::copy_file(vv::test::fixturePath(std::string("cdx-peer/") + f), dir.file(f));
    auto t = Table::open(dir.str(), "EVENTS");
    ASSERT_EQ(t->tags().size(), 7u);
    for (const char* tag : {"FILE_CODE", "BOOK_NAME", "EVENT_NO", "ARRIVAL", "FILE_DATE", "UBOOK", "RATE"}) {
        for (bool shown : {false, true}) {
            SCOPED_TRACE(std::string(tag) + (shown ? " all" : ""));
            std::istringstream in(readAll(vv::test::fixturePath(std::string("cdx-peer/EVENTS.") + tag +
                                                                (shown ? ".all.order" : ".order"))));
            std::vector<uint32_t> expected;
            for (uint32_t r; in >> r;) expected.push_back(r);
            Table::setShowDeleted(shown);
            t->setIndexName(tag);
            EXPECT_EQ(walk(*t), expected);
        }
    }
    Table::setShowDeleted(false);
    EXPECT_TRUE(t->verifyIndex().empty());

    // The same tags built here list the records exactly as the peer's do.
    std::vector<IndexTagSpec> specs;
    for (const auto& tag : t->tags()) specs.push_back({tag.name, tag.expression, tag.descending, {}});
    t.reset();
    t = Table::open(dir.str(), "EVENTS", {.exclusive = true});
    t->rebuildIndex(specs);
    for (const auto& spec : specs) {
        SCOPED_TRACE("rebuilt " + spec.name);
        std::istringstream in(readAll(vv::test::fixturePath("cdx-peer/EVENTS." + spec.name + ".order")));
        std::vector<uint32_t> expected;
        for (uint32_t r; in >> r;) expected.push_back(r);
        t->setIndexName(spec.name);
        EXPECT_EQ(walk(*t), expected);
    }
}

}  // namespace
