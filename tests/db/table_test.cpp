#include "db/table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "db/error.h"
#include "support/temp_dir.h"

using namespace vv::db;
using vv::test::TempDir;

namespace {

FieldList callFields() {
    return {
        {"FILE_CODE", FieldType::Character, 10, 0, 0, 0}, {"DATE", FieldType::Date, 8, 0, 0, 0},
        {"ACCT_NAME", FieldType::Character, 30, 0, 0, 0}, {"ROOMS", FieldType::Numeric, 6, 0, 0, 0},
        {"RATE", FieldType::Numeric, 8, 2, 0, 0},         {"DONE", FieldType::Logical, 1, 0, 0, 0},
        {"MEMO", FieldType::Memo, 10, 0, 0, 0},
    };
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void addCall(Table& t, const std::string& code, Date date, const std::string& name, const std::string& memo = {}) {
    t.append();
    t.setText("FILE_CODE", code);
    t.setDate("DATE", date);
    t.setText("ACCT_NAME", name);
    t.setNumber("RATE", 89.5);
    if (!memo.empty()) t.setText("MEMO", memo);
    t.post();
}

std::vector<uint32_t> visibleRecnos(Table& t) {
    std::vector<uint32_t> out;
    for (t.first(); !t.eof(); t.next()) out.push_back(t.recno());
    return out;
}

class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table::setShowDeleted(false);
        Table::create(dir.str(), "CALLS.DBF", callFields());
    }
    void TearDown() override { Table::setShowDeleted(false); }
    std::unique_ptr<Table> open(bool exclusive = false) {
        OpenOptions o;
        o.exclusive = exclusive;
        return Table::open(dir.str(), "CALLS.DBF", o);
    }
    TempDir dir;
};

TEST_F(TableTest, ValuesSurviveReopenInEveryFieldType) {
    {
        auto t = open();
        t->append();
        t->setText("FILE_CODE", "CAFE");
        t->setText("DATE", "03/01/99");
        t->setText("ACCT_NAME", "Café Müller € Co");
        t->setInt("ROOMS", 12);
        t->setNumber("RATE", 89.5);
        t->setBool("DONE", true);
        t->setText("MEMO", "Line one\r\nLigne deux, été");
        t->post();
        EXPECT_EQ(t->recno(), 1u);
    }
    auto t = open();
    ASSERT_EQ(t->recordCount(), 1u);
    EXPECT_EQ(t->getText("file_code"), "CAFE");
    EXPECT_EQ(t->getDate("DATE").dtos(), "19990301");
    EXPECT_EQ(t->getText("DATE"), "03/01/99");
    EXPECT_EQ(t->getText("ACCT_NAME"), "Café Müller € Co");
    EXPECT_EQ(t->getInt("ROOMS"), 12);
    EXPECT_EQ(t->getText("RATE"), "89.50");
    EXPECT_TRUE(t->getBool("DONE"));
    EXPECT_EQ(t->getText("MEMO"), "Line one\r\nLigne deux, été");
    // On disk: the text in Windows-1252, the number right-aligned, EOF marker last.
    const std::string raw = fileBytes(dir.file("CALLS.DBF"));
    EXPECT_NE(raw.find("Caf\xE9 M\xFCller \x80 Co"), std::string::npos);
    EXPECT_NE(raw.find("   89.50"), std::string::npos);
    EXPECT_EQ(raw.back(), '\x1A');
    EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0xF5);
}

TEST_F(TableTest, WritingEmptyTextEmptiesDateNumberAndLogical) {
    auto t = open();
    addCall(*t, "A", Date::fromYmd(2024, 1, 2), "x");
    t->edit();
    t->setText("DATE", "");
    t->setText("ROOMS", "");
    t->setText("DONE", "");
    t->post();
    EXPECT_TRUE(t->isBlank("DATE"));
    EXPECT_TRUE(t->isBlank("ROOMS"));
    EXPECT_TRUE(t->isBlank("DONE"));
    EXPECT_EQ(t->getText("DATE"), "");
}

TEST_F(TableTest, BadValuesAreRefusedAndLeaveTheRecordUnchanged) {
    auto t = open();
    addCall(*t, "A", Date::fromYmd(2024, 1, 2), "kept");
    t->edit();
    struct Case { const char* field; const char* value; ErrorKind kind; };
    const Case cases[] = {
        {"ACCT_NAME", "€ and 中文", ErrorKind::Encoding},
        {"FILE_CODE", "ELEVEN CHAR", ErrorKind::InvalidArgument},
        {"DATE", "02/30/24", ErrorKind::InvalidArgument},
        {"ROOMS", "12a", ErrorKind::InvalidArgument},
        {"ROOMS", "1234567", ErrorKind::InvalidArgument},
        {"DONE", "maybe", ErrorKind::InvalidArgument},
        {"NOFIELD", "x", ErrorKind::FieldNotFound},
    };
    for (const auto& c : cases) {
        try {
            t->setText(c.field, c.value);
            ADD_FAILURE() << c.field << " accepted " << c.value;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.field << ": " << e.what();
        }
    }
    t->post();
    EXPECT_EQ(t->getText("ACCT_NAME"), "kept");
    EXPECT_EQ(t->getDate("DATE"), Date::fromYmd(2024, 1, 2));
    // Setting a field while browsing is a state error, not a silent no-op.
    EXPECT_THROW(t->setText("ACCT_NAME", "x"), Error);
}

TEST_F(TableTest, MemoRewriteReusesBlocksWhenItFitsAndGrowsOtherwise) {
    auto t = open();
    addCall(*t, "A", Date::fromYmd(2024, 1, 2), "x", std::string(100, 'a'));
    const auto sizeAfterFirst = std::filesystem::file_size(dir.file("CALLS.FPT"));
    t->edit();
    t->setText("MEMO", "short");
    t->post();
    EXPECT_EQ(std::filesystem::file_size(dir.file("CALLS.FPT")), sizeAfterFirst);
    t->edit();
    t->setText("MEMO", std::string(1000, 'b'));
    t->post();
    EXPECT_GT(std::filesystem::file_size(dir.file("CALLS.FPT")), sizeAfterFirst);
    t->refresh();
    EXPECT_EQ(t->getText("MEMO"), std::string(1000, 'b'));
    t->edit();
    t->setText("MEMO", "");
    t->post();
    EXPECT_TRUE(t->isBlank("MEMO"));
}

TEST_F(TableTest, MovingSkipsDeletedAndFilteredRecords) {
    auto t = open();
    for (int i = 1; i <= 6; ++i) addCall(*t, i % 2 ? "ODD" : "EVEN", Date::fromYmd(2024, 1, i), "n" + std::to_string(i));
    t->go(2);
    t->deleteRecord();
    EXPECT_EQ(t->recno(), 3u);  // moved on to the next visible record
    EXPECT_EQ(visibleRecnos(*t), (std::vector<uint32_t>{1, 3, 4, 5, 6}));
    EXPECT_EQ(t->count(), 5u);

    Table::setShowDeleted(true);
    EXPECT_EQ(t->count(), 6u);
    t->go(2);
    EXPECT_TRUE(t->isDeleted());
    t->recall();
    EXPECT_FALSE(t->isDeleted());
    Table::setShowDeleted(false);

    t->setFilter("file_code = 'EV' .and. dtos(date) >= '20240104'");
    EXPECT_EQ(t->filter(), "file_code = 'EV' .and. dtos(date) >= '20240104'");
    EXPECT_EQ(visibleRecnos(*t), (std::vector<uint32_t>{4, 6}));
    EXPECT_EQ(t->count(), 2u);
    t->last();
    EXPECT_EQ(t->recno(), 6u);
    t->prior();
    EXPECT_EQ(t->recno(), 4u);
    t->prior();
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recno(), 4u);

    // A bad filter is refused when set, and the old one stays.
    EXPECT_THROW(t->setFilter("file_code = "), ExpressionError);
    EXPECT_EQ(t->count(), 2u);
    t->setFilter("file_code = 'NONE'");
    EXPECT_TRUE(t->eof());
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recno(), 0u);
    t->clearFilter();
    EXPECT_EQ(t->count(), 6u);
}

TEST_F(TableTest, AppendEditCancelAndBookmarks) {
    auto t = open();
    EXPECT_TRUE(t->eof() && t->bof());
    t->edit();  // on an empty table edit starts an append
    EXPECT_EQ(t->state(), Table::State::Insert);
    t->setText("FILE_CODE", "FIRST");
    t->append();  // posts the pending record first
    t->setText("FILE_CODE", "SECOND");
    t->cancel();
    EXPECT_EQ(t->recordCount(), 1u);
    EXPECT_EQ(t->getText("FILE_CODE"), "FIRST");
    const auto mark = t->bookmark();
    addCall(*t, "THIRD", Date{}, "");
    EXPECT_TRUE(t->bookmarkValid(mark));
    EXPECT_FALSE(t->bookmarkValid(99));
    t->gotoBookmark(mark);
    EXPECT_EQ(t->getText("FILE_CODE"), "FIRST");
    t->edit();
    t->setText("FILE_CODE", "CHANGED");
    t->cancel();
    EXPECT_EQ(t->getText("FILE_CODE"), "FIRST");
    EXPECT_THROW(t->go(0), Error);
    EXPECT_THROW(t->go(3), Error);
}

TEST_F(TableTest, FileNamesMatchWithoutRegardToCase) {
    std::filesystem::rename(dir.file("CALLS.DBF"), dir.file("calls.dbf"));
    std::filesystem::rename(dir.file("CALLS.FPT"), dir.file("Calls.fpt"));
    auto t = Table::open(dir.str(), "Calls.Dbf");
    EXPECT_EQ(t->name(), "calls.dbf");
    addCall(*t, "A", Date{}, "", "memo text");
    EXPECT_EQ(Table::open(dir.str(), "CALLS")->getText("MEMO"), "memo text");
    try {
        Table::open(dir.str(), "MISSING.DBF");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::FileNotFound);
        EXPECT_NE(std::string(e.what()).find("MISSING.DBF"), std::string::npos);
    }
    std::filesystem::remove(dir.file("Calls.fpt"));
    try {
        Table::open(dir.str(), "CALLS");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::FileNotFound);
        EXPECT_NE(std::string(e.what()).find("CALLS.FPT"), std::string::npos);
    }
}

TEST_F(TableTest, ExclusiveOpenAndRecordLocksConflictBetweenTableObjects) {
    auto a = open();
    addCall(*a, "A", Date{}, "");
    EXPECT_THROW(
        {
            try {
                open(true);
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), ErrorKind::ExclusiveConflict);
                throw;
            }
        },
        Error);
    auto b = open();
    a->edit();
    try {
        b->edit();
        FAIL() << "second edit of a locked record succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::LockConflict);
        EXPECT_NE(std::string(e.what()).find("CALLS.DBF"), std::string::npos);
    }
    EXPECT_EQ(b->state(), Table::State::Browse);
    a->setText("ACCT_NAME", "from a");
    a->post();
    b->edit();  // released by post, and b edits what a stored
    EXPECT_EQ(b->getText("ACCT_NAME"), "from a");
    b->cancel();
    a.reset();
    b.reset();
    auto x = open(true);
    EXPECT_THROW(open(), Error);
    x->emptyTable();
    EXPECT_EQ(x->recordCount(), 0u);
}

TEST_F(TableTest, EmptyTableNeedsExclusiveUse) {
    auto t = open();
    addCall(*t, "A", Date{}, "", "memo");
    try {
        t->emptyTable();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::ExclusiveConflict);
    }
    EXPECT_EQ(t->recordCount(), 1u);
}

TEST_F(TableTest, SeesWhatAnotherTableObjectAppendedAndPosted) {
    auto reader = open();
    auto writer = open();
    addCall(*writer, "ONE", Date{}, "");
    reader->first();
    EXPECT_EQ(reader->getText("FILE_CODE"), "ONE");
    addCall(*writer, "TWO", Date{}, "");
    reader->next();  // at the old end: the new record is found
    ASSERT_FALSE(reader->eof());
    EXPECT_EQ(reader->getText("FILE_CODE"), "TWO");
    writer->go(1);
    writer->edit();
    writer->setText("ACCT_NAME", "changed");
    writer->post();
    reader->go(1);
    EXPECT_EQ(reader->getText("ACCT_NAME"), "changed");
}

TEST_F(TableTest, PartialRecordLeftByAKilledAppendIsIgnored) {
    {
        auto t = open();
        addCall(*t, "KEPT", Date{}, "");
    }
    // A process died after writing half a record and before counting it.
    std::string raw = fileBytes(dir.file("CALLS.DBF"));
    raw.pop_back();  // the EOF marker
    raw += "  HALF";
    writeBytes(dir.file("CALLS.DBF"), raw);
    auto t = open();
    EXPECT_EQ(t->recordCount(), 1u);
    EXPECT_EQ(t->getText("FILE_CODE"), "KEPT");
    addCall(*t, "NEXT", Date{}, "");
    EXPECT_EQ(t->recordCount(), 2u);
    t->go(2);
    EXPECT_EQ(t->getText("FILE_CODE"), "NEXT");
}

TEST(TableCreate, RefusesBadLayoutsAndExistingFiles) {
    TempDir dir;
    struct Case { FieldList fields; const char* why; };
    const Case cases[] = {
        {{}, "no fields"},
        {{{"A", FieldType::Character, 0, 0, 0, 0}}, "zero width"},
        {{{"TOOLONGNAME1", FieldType::Character, 5, 0, 0, 0}}, "long name"},
        {{{"A", FieldType::Character, 5, 0, 0, 0}, {"a", FieldType::Date, 8, 0, 0, 0}}, "duplicate"},
        {{{"1ST", FieldType::Character, 5, 0, 0, 0}}, "starts with digit"},
        {{{"N", FieldType::Numeric, 4, 3, 0, 0}}, "too many decimals"},
    };
    for (const auto& c : cases) EXPECT_THROW(Table::create(dir.str(), "T.DBF", c.fields), Error) << c.why;
    Table::create(dir.str(), "T.DBF", {{"A", FieldType::Character, 5, 0, 0, 0}});
    EXPECT_THROW(Table::create(dir.str(), "t.dbf", {{"A", FieldType::Character, 5, 0, 0, 0}}), Error);
    EXPECT_EQ(fileBytes(dir.file("T.DBF")).size(), 32u + 32u + 1u + 1u);
}

}  // namespace
