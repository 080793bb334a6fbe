// Reading a compound index written by another xBase engine
// (tests/data/cdx-peer): every tag must list the records exactly as that
// engine does, seeks must land where it would, and our node encoder must
// reproduce its pages byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "db/byte_order.h"
#include "db/cdx_file.h"
#include "db/date.h"
#include "db/error.h"
#include "support/temp_dir.h"

using namespace vv::db;

namespace {

std::string fixture(const std::string& name) { return vv::test::fixturePath("cdx-peer/" + name); }

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint32_t> readOrder(const std::string& name) {
    std::istringstream in(readAll(fixture(name)));
    std::vector<uint32_t> recnos;
    for (uint32_t recno; in >> recno;) recnos.push_back(recno);
    return recnos;
}

// EVENTS.dbf records straight from the bytes: no table class needed.
class Events {
public:
    Events() : bytes_(readAll(fixture("EVENTS.dbf"))) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data());
        count_ = readLe32(p + 4);
        headerLength_ = readLe16(p + 8);
        recordLength_ = readLe16(p + 10);
    }
    uint32_t count() const { return count_; }
    bool deleted(uint32_t recno) const { return record(recno)[0] == '*'; }
    std::string field(uint32_t recno, std::size_t offset, std::size_t width) const {
        return std::string(record(recno).substr(offset, width));
    }
    std::string fileCode(uint32_t r) const { return field(r, 6, 10); }
    std::string eventNo(uint32_t r) const { return field(r, 16, 6); }
    std::string bookName(uint32_t r) const { return field(r, 22, 50); }
    std::string arrDate(uint32_t r) const { return field(r, 72, 8); }
    double rate(uint32_t r) const { return std::strtod(field(r, 91, 10).c_str(), nullptr); }

    // The key each tag of EVENTS.cdx holds for a record.
    std::string key(const std::string& tag, uint32_t r) const {
        if (tag == "FILE_CODE") return fileCode(r) + eventNo(r);
        if (tag == "BOOK_NAME") return bookName(r);
        if (tag == "EVENT_NO") return eventNo(r);
        if (tag == "ARRIVAL") return cdxDateKey(Date::fromDtos(arrDate(r))->julian());
        if (tag == "FILE_DATE") return fileCode(r) + arrDate(r);
        if (tag == "UBOOK") {
            std::string upper = bookName(r);
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return upper;
        }
        return cdxNumericKey(rate(r));  // RATE
    }

private:
    std::string_view record(uint32_t recno) const {
        return std::string_view(bytes_).substr(headerLength_ + (recno - 1) * recordLength_, recordLength_);
    }
    std::string bytes_;
    uint32_t count_ = 0, headerLength_ = 0, recordLength_ = 0;
};

struct TagCase {
    const char* name;
    const char* expression;
    std::size_t keyLength;
    CdxKeyType type;
    bool descending;
};

const TagCase kTags[] = {
    {"FILE_CODE", "FILE_CODE + EVENT_NO", 16, CdxKeyType::Character, false},
    {"BOOK_NAME", "BOOK_NAME", 50, CdxKeyType::Character, false},
    {"EVENT_NO", "EVENT_NO", 6, CdxKeyType::Character, false},
    {"ARRIVAL", "ARR_DATE", 8, CdxKeyType::Date, false},
    {"FILE_DATE", "FILE_CODE + DTOS( ARR_DATE )", 18, CdxKeyType::Character, false},
    {"UBOOK", "UPPER( BOOK_NAME )", 50, CdxKeyType::Character, false},
    {"RATE", "SING_RATE", 8, CdxKeyType::Numeric, true},
};

class PeerIndex : public ::testing::Test {
protected:
    void SetUp() override {
        cdx_ = CdxFile::open(FileSystem::local().open(fixture("EVENTS.cdx"), OpenMode::ReadOnly));
        for (const TagCase& c : kTags) cdx_->tag(c.name).setKeyType(c.type);
    }
    std::unique_ptr<CdxFile> cdx_;
    Events events_;
};

TEST_F(PeerIndex, ListsTagsInCreationOrderWithTheirDefinitions) {
    ASSERT_EQ(cdx_->tags().size(), std::size(kTags));
    for (std::size_t i = 0; i < std::size(kTags); ++i) {
        const CdxTag& tag = *cdx_->tags()[i];
        SCOPED_TRACE(kTags[i].name);
        EXPECT_EQ(tag.name(), kTags[i].name);
        EXPECT_EQ(tag.keyExpression(), kTags[i].expression);
        EXPECT_EQ(tag.forExpression(), "");
        EXPECT_EQ(tag.keyLength(), kTags[i].keyLength);
        EXPECT_EQ(tag.descending(), kTags[i].descending);
        EXPECT_FALSE(tag.unique());
    }
    EXPECT_EQ(cdx_->findTag("ubook"), cdx_->tags()[5]);
    EXPECT_EQ(cdx_->findTag("NOPE"), nullptr);
    EXPECT_THROW(cdx_->tag("NOPE"), Error);
}

TEST_F(PeerIndex, EveryTagIteratesInThePeersOrderWithItsKeys) {
    for (const TagCase& c : kTags) {
        SCOPED_TRACE(c.name);
        CdxTag& tag = cdx_->tag(c.name);
        const std::vector<uint32_t> all = readOrder(std::string("EVENTS.") + c.name + ".all.order");
        std::vector<uint32_t> forward, live;
        CdxCursor cursor(tag);
        for (bool ok = cursor.first(); ok; ok = cursor.next()) {
            forward.push_back(cursor.recno());
            ASSERT_EQ(cursor.key(), events_.key(c.name, cursor.recno())) << "record " << cursor.recno();
            if (!events_.deleted(cursor.recno())) live.push_back(cursor.recno());
        }
        EXPECT_EQ(forward, all);
        EXPECT_EQ(live, readOrder(std::string("EVENTS.") + c.name + ".order"));

        std::vector<uint32_t> backward;
        for (bool ok = cursor.last(); ok; ok = cursor.prior()) backward.push_back(cursor.recno());
        EXPECT_EQ(std::vector<uint32_t>(backward.rbegin(), backward.rend()), all);
        EXPECT_EQ(tag.count(), events_.count());
        EXPECT_EQ(tag.verify(), events_.count());
    }
}

// Seeking the key of records spread over each tag lands on the first record
// of that key in the peer's order.
TEST_F(PeerIndex, SeekFindsTheFirstRecordOfEachKey) {
    for (const TagCase& c : kTags) {
        SCOPED_TRACE(c.name);
        const std::vector<uint32_t> all = readOrder(std::string("EVENTS.") + c.name + ".all.order");
        CdxCursor cursor(cdx_->tag(c.name));
        for (std::size_t i = 0; i < all.size(); i += 37) {
            const std::string key = events_.key(c.name, all[i]);
            std::size_t firstOfKey = i;
            while (firstOfKey > 0 && events_.key(c.name, all[firstOfKey - 1]) == key) --firstOfKey;
            ASSERT_EQ(cursor.seek(key), CdxSeekResult::Found) << i;
            EXPECT_EQ(cursor.recno(), all[firstOfKey]);
            EXPECT_TRUE(cursor.find(key, all[i]));
            EXPECT_EQ(cursor.recno(), all[i]);
        }
    }
}

TEST_F(PeerIndex, SeekOnPrefixesDatesAndNumbers) {
    // The first record in a tag's order whose key passes a test.
    auto firstWhere = [&](const char* tag, auto test) {
        for (uint32_t recno : readOrder(std::string("EVENTS.") + tag + ".all.order"))
            if (test(events_.key(tag, recno))) return recno;
        return 0u;
    };
    // Character prefix: the first event of a file code, then a miss.
    CdxCursor byFile(cdx_->tag("FILE_CODE"));
    ASSERT_EQ(byFile.seek("AC00007"), CdxSeekResult::Found);
    EXPECT_EQ(byFile.recno(), firstWhere("FILE_CODE", [](const std::string& k) { return k >= "AC00007"; }));
    ASSERT_EQ(byFile.seek("AC00007    2"), CdxSeekResult::After);
    EXPECT_EQ(byFile.key().substr(0, 7), "AC00008");
    EXPECT_EQ(byFile.seek("ZZ"), CdxSeekResult::End);
    EXPECT_FALSE(byFile.valid());

    // Case matters in BOOK_NAME and not in UBOOK.
    CdxCursor byName(cdx_->tag("BOOK_NAME"));
    EXPECT_EQ(byName.seek("group 0956"), CdxSeekResult::Found);
    EXPECT_EQ(byName.recno(), 1060u);
    EXPECT_EQ(byName.seek("GROUP 0956"), CdxSeekResult::After);

    // Dates: empty dates come first; a date between arrivals lands on the next one.
    CdxCursor byArrival(cdx_->tag("ARRIVAL"));
    ASSERT_EQ(byArrival.seek(cdxDateKey(0)), CdxSeekResult::Found);
    EXPECT_EQ(byArrival.recno(), 13u);
    ASSERT_EQ(byArrival.seek(cdxDateKey(Date::fromYmd(2008, 10, 10).julian())), CdxSeekResult::Found);
    EXPECT_EQ(events_.arrDate(byArrival.recno()), "20081010");
    ASSERT_EQ(byArrival.seek(cdxDateKey(Date::fromYmd(1990, 1, 1).julian())), CdxSeekResult::After);
    const std::string from1990 = cdxDateKey(Date::fromYmd(1990, 1, 1).julian());
    EXPECT_EQ(byArrival.recno(), firstWhere("ARRIVAL", [&](const std::string& k) { return k >= from1990; }));

    // Descending numbers: the first rate at or below the sought one, highest first.
    CdxCursor byRate(cdx_->tag("RATE"));
    ASSERT_EQ(byRate.seek(cdxNumericKey(0.30)), CdxSeekResult::Found);
    EXPECT_EQ(byRate.recno(), 1510u);
    ASSERT_EQ(byRate.seek(cdxNumericKey(0.31)), CdxSeekResult::After);
    EXPECT_EQ(byRate.recno(), 1510u);
    EXPECT_TRUE(byRate.next());
    EXPECT_EQ(byRate.recno(), 755u);  // 0.15, the lowest rate, last
    EXPECT_FALSE(byRate.next());
    ASSERT_EQ(byRate.seek(cdxNumericKey(1e6)), CdxSeekResult::After);
    EXPECT_EQ(byRate.recno(), readOrder("EVENTS.RATE.all.order").front());
    EXPECT_EQ(byRate.seek(cdxNumericKey(0.1)), CdxSeekResult::End);
}

// Decoding every node of the peer's file and encoding it again gives the
// same 512 bytes: our leaves follow the same bit-width and compression rules.
TEST(PeerIndexPages, EveryNodeReencodesToTheSameBytes) {
    const std::string file = readAll(fixture("EVENTS.cdx"));
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    std::vector<std::pair<uint32_t, CdxKeyType>> headers{{0, CdxKeyType::Character}};
    auto cdx = CdxFile::open(FileSystem::local().open(fixture("EVENTS.cdx"), OpenMode::ReadOnly));
    for (std::size_t i = 0; i < cdx->tags().size(); ++i)
        headers.emplace_back(cdx->tags()[i]->headerOffset(), kTags[i].type);
    std::size_t nodes = 0;
    for (auto [header, type] : headers) {
        const std::size_t keyLength = readLe16(bytes + header + cdx::kHeaderKeyLength);
        std::vector<uint32_t> level{readLe32(bytes + header)};
        while (!level.empty()) {
            std::vector<uint32_t> below;
            for (uint32_t offset : level) {
                const CdxNode node = decodeCdxNode(bytes + offset, keyLength, cdxFillerByte(type), "node");
                unsigned char page[cdx::kPageSize];
                encodeCdxNode(node, cdxFillerByte(type), page);
                ASSERT_EQ(std::string_view(reinterpret_cast<const char*>(page), cdx::kPageSize),
                          file.substr(offset, cdx::kPageSize))
                    << "node at " << offset;
                ++nodes;
                below.insert(below.end(), node.children.begin(), node.children.end());
            }
            level = std::move(below);
        }
    }
    EXPECT_GT(nodes, 250u);
}

}  // namespace
