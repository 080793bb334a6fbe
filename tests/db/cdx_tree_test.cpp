// Writing compound indexes: bulk builds, single-entry changes checked against
// a model after every batch, new tags, cursors over a changing tree, other
// writers, and the page codec.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "db/byte_order.h"
#include "db/cdx_file.h"
#include "db/error.h"
#include "support/memory_file_system.h"

using namespace vv::db;

namespace {

using Entry = std::pair<std::string, uint32_t>;
using Model = std::set<Entry>;

CdxTagDef charTag(const std::string& name, std::size_t keyLength, bool descending = false) {
    CdxTagDef def;
    def.name = name;
    def.keyExpression = name;
    def.keyLength = keyLength;
    def.descending = descending;
    return def;
}

std::vector<CdxEntry> entriesOf(const Model& model) {
    std::vector<CdxEntry> entries;
    for (const auto& [key, recno] : model) entries.push_back({key, recno});
    return entries;
}

// The tag lists exactly the model, in its order both ways, and its tree is sound.
void expectMatches(CdxTag& tag, const Model& model) {
    std::vector<Entry> expected(model.begin(), model.end());
    if (tag.descending()) std::reverse(expected.begin(), expected.end());
    std::vector<Entry> forward, backward;
    CdxCursor cursor(tag);
    for (bool ok = cursor.first(); ok; ok = cursor.next()) forward.emplace_back(cursor.key(), cursor.recno());
    for (bool ok = cursor.last(); ok; ok = cursor.prior()) backward.emplace_back(cursor.key(), cursor.recno());
    std::reverse(backward.begin(), backward.end());
    ASSERT_EQ(forward.size(), expected.size());
    const auto mismatch = std::mismatch(forward.begin(), forward.end(), expected.begin());
    ASSERT_TRUE(mismatch.first == forward.end()) << "first difference at " << (mismatch.first - forward.begin());
    ASSERT_TRUE(backward == expected);
    EXPECT_EQ(tag.verify(), model.size());
    EXPECT_EQ(tag.count(), model.size());
}

// Seeks of key prefixes land where the model's lower bound is.
void expectSeeksMatch(CdxTag& tag, const Model& model, const std::vector<std::string>& prefixes) {
    CdxCursor cursor(tag);
    for (const std::string& prefix : prefixes) {
        const auto it = model.lower_bound({prefix, 0});
        const CdxSeekResult result = cursor.seek(prefix);
        if (it == model.end()) {
            EXPECT_EQ(result, CdxSeekResult::End) << prefix;
            continue;
        }
        const bool exact = it->first.compare(0, prefix.size(), prefix) == 0;
        EXPECT_EQ(result, exact ? CdxSeekResult::Found : CdxSeekResult::After) << prefix;
        ASSERT_TRUE(cursor.valid());
        EXPECT_EQ(Entry(cursor.key(), cursor.recno()), *it) << prefix;
    }
}

class CdxTree : public ::testing::Test {
protected:
    std::unique_ptr<CdxFile> create(std::vector<CdxTagBuild> tags) {
        return CdxFile::create(fs_.open(path_, OpenMode::CreateTruncate), std::move(tags));
    }
    std::unique_ptr<CdxFile> reopen() { return CdxFile::open(fs_.open(path_, OpenMode::ReadWrite)); }

    // Levels of a tag's tree, read from the raw file.
    std::size_t depth(const CdxTag& tag) {
        const std::string bytes = fs_.contents(path_);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        uint32_t offset = readLe32(p + tag.headerOffset());
        for (std::size_t levels = 1;; ++levels) {
            const CdxNode node = decodeCdxNode(p + offset, tag.keyLength(), ' ', "node");
            if (node.isLeaf()) return levels;
            offset = node.children.front();
        }
    }

    std::string key(uint32_t n) {
        char text[16];
        std::snprintf(text, sizeof text, "%06u", n);
        return cdxCharacterKey(text, 12);
    }

    vv::test::MemoryFileSystem fs_;
    const std::string path_ = "/data/T.cdx";
    std::mt19937 random_{20240611};
};

TEST_F(CdxTree, RandomInsertsAndRemovesFollowTheModelAcrossReopens) {
    Model model;
    uint32_t recno = 0;
    while (model.size() < 10000) model.insert({key(random_() % 4000), ++recno});
    auto cdx = create({{charTag("CODE", 12), entriesOf(model)}});
    CdxTag* tag = &cdx->tag("CODE");
    EXPECT_EQ(depth(*tag), 3u);
    expectMatches(*tag, model);

    for (int batch = 0; batch < 5; ++batch) {
        SCOPED_TRACE(batch);
        for (int i = 0; i < 1000; ++i) {
            // Record numbers past 65535 widen the leaf entries on the way.
            const Entry added{key(random_() % 4500), ++recno + (batch >= 3 ? 70000 : 0)};
            ASSERT_TRUE(tag->insert(added.first, added.second));
            model.insert(added);
        }
        std::vector<Entry> present(model.begin(), model.end());
        std::shuffle(present.begin(), present.end(), random_);
        for (std::size_t i = 0; i < 1000; ++i) {
            ASSERT_TRUE(tag->remove(present[i].first, present[i].second));
            model.erase(present[i]);
        }
        expectMatches(*tag, model);
    }
    EXPECT_FALSE(tag->insert(model.begin()->first, model.begin()->second));
    EXPECT_FALSE(tag->remove(key(4999), 1));
    EXPECT_THROW(tag->insert("short", 1), Error);

    cdx = reopen();
    tag = &cdx->tag("code");
    expectMatches(*tag, model);
    std::vector<std::string> prefixes{"", "0", "000000", "004500", "9", key(17), key(3999)};
    for (int i = 0; i < 200; ++i) prefixes.push_back(key(random_() % 4600).substr(0, 3 + random_() % 6));
    expectSeeksMatch(*tag, model, prefixes);
}

TEST_F(CdxTree, EmptiedTreeGrowsAgainOnItsFreedPages) {
    Model model;
    for (uint32_t r = 1; r <= 3000; ++r) model.insert({key(r * 7 % 1000), r});
    auto cdx = create({{charTag("CODE", 12), entriesOf(model)}});
    CdxTag& tag = cdx->tag("CODE");
    const std::size_t fullSize = fs_.contents(path_).size();

    std::vector<Entry> order(model.begin(), model.end());
    std::shuffle(order.begin(), order.end(), random_);
    for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_TRUE(tag.remove(order[i].first, order[i].second));
        model.erase(order[i]);
        if (i % 500 == 0) expectMatches(tag, model);
    }
    expectMatches(tag, model);
    CdxCursor cursor(tag);
    EXPECT_FALSE(cursor.first());
    EXPECT_EQ(cursor.seek(""), CdxSeekResult::End);
    EXPECT_EQ(depth(tag), 1u);

    for (const Entry& entry : order) {
        ASSERT_TRUE(tag.insert(entry.first, entry.second));
        model.insert(entry);
    }
    expectMatches(tag, model);
    // Inserted one by one the tree is less packed than the bulk build, but
    // the pages freed on the way down were taken again.
    EXPECT_LT(fs_.contents(path_).size(), fullSize * 2);
}

TEST_F(CdxTree, LongestKeysSplitIntoLeavesOfOneOrTwo) {
    Model model;
    auto cdx = create({{charTag("LONG", 240), {}}});
    CdxTag& tag = cdx->tag("LONG");
    for (uint32_t r = 1; r <= 300; ++r) {
        std::string k(240, static_cast<char>('a' + random_() % 26));
        k[random_() % 240] = static_cast<char>('A' + random_() % 26);
        ASSERT_TRUE(tag.insert(k, r));
        model.insert({k, r});
    }
    expectMatches(tag, model);
    for (uint32_t r = 1; r <= 300; r += 2) {
        auto it = std::find_if(model.begin(), model.end(), [&](const Entry& e) { return e.second == r; });
        ASSERT_TRUE(tag.remove(it->first, r));
        model.erase(it);
    }
    expectMatches(tag, model);
}

// A descending tag is the ascending tree read backwards: highest value
// first, equal keys in falling record order, seeks finding the first key at
// or below the sought one.
TEST_F(CdxTree, DescendingNumericTag) {
    const double values[] = {5.5, -2.0, 0.0, -0.0, 1e9, -1e9, 5.5, 3.25, -2.0};
    Model model;
    std::vector<CdxEntry> entries;
    for (uint32_t r = 1; r <= std::size(values); ++r) {
        entries.push_back({cdxNumericKey(values[r - 1]), r});
        model.insert({entries.back().key, r});
    }
    CdxTagDef def = charTag("AMOUNT", 8, true);
    def.keyType = CdxKeyType::Numeric;
    auto cdx = create({{def, entries}});
    CdxTag& tag = cdx->tag("AMOUNT");
    expectMatches(tag, model);

    std::vector<uint32_t> order;
    CdxCursor cursor(tag);
    for (bool ok = cursor.first(); ok; ok = cursor.next()) order.push_back(cursor.recno());
    EXPECT_EQ(order, (std::vector<uint32_t>{5, 7, 1, 8, 4, 3, 9, 2, 6}));

    EXPECT_EQ(cursor.seek(cdxNumericKey(5.5)), CdxSeekResult::Found);
    EXPECT_EQ(cursor.recno(), 7u);
    EXPECT_EQ(cursor.seek(cdxNumericKey(4.0)), CdxSeekResult::After);
    EXPECT_EQ(cdxNumericValue(cursor.key()), 3.25);
    EXPECT_EQ(cursor.seek(cdxNumericKey(-5.0)), CdxSeekResult::After);
    EXPECT_EQ(cursor.recno(), 6u);
    EXPECT_EQ(cursor.seek(cdxNumericKey(-2e9)), CdxSeekResult::End);

    // Reopened, the tag is still descending; its key type must be told again.
    cdx = reopen();
    EXPECT_TRUE(cdx->tag("AMOUNT").descending());
    cdx->tag("AMOUNT").setKeyType(CdxKeyType::Numeric);
    expectMatches(cdx->tag("AMOUNT"), model);
}

TEST_F(CdxTree, TagsKeepCreationOrderAndTheirDefinitions) {
    CdxTagDef withFor = charTag("zeta", 4);
    withFor.keyExpression = "UPPER(NAME)";
    withFor.forExpression = "!DELETED()";
    withFor.unique = true;
    auto cdx = create({{withFor, {{"ABCD", 1}}}, {charTag("ALPHA", 4), {{"WXYZ", 2}}}});
    cdx->addTag(charTag("MIDDLE", 6), {{"MMMMMM", 3}});
    EXPECT_THROW(cdx->addTag(charTag("Alpha", 6), {}), Error);

    cdx = reopen();
    ASSERT_EQ(cdx->tags().size(), 3u);
    EXPECT_EQ(cdx->tags()[0]->name(), "ZETA");
    EXPECT_EQ(cdx->tags()[1]->name(), "ALPHA");
    EXPECT_EQ(cdx->tags()[2]->name(), "MIDDLE");
    EXPECT_LT(cdx->tags()[0]->headerOffset(), cdx->tags()[1]->headerOffset());
    EXPECT_LT(cdx->tags()[1]->headerOffset(), cdx->tags()[2]->headerOffset());
    const CdxTag& zeta = cdx->tag("Zeta");
    EXPECT_EQ(zeta.keyExpression(), "UPPER(NAME)");
    EXPECT_EQ(zeta.forExpression(), "!DELETED()");
    EXPECT_TRUE(zeta.unique());
    EXPECT_FALSE(cdx->tag("ALPHA").unique());
    expectMatches(cdx->tag("MIDDLE"), {{"MMMMMM", 3}});
}

TEST_F(CdxTree, BadDefinitionsAreRefusedBeforeTheFileIsTouched) {
    create({{charTag("KEEP", 3), {{"abc", 1}}}});
    const std::string before = fs_.contents(path_);
    struct Case {
        const char* what;
        CdxTagDef def;
        std::vector<CdxEntry> entries;
    };
    CdxTagDef noExpression = charTag("X", 3);
    noExpression.keyExpression.clear();
    const Case cases[] = {
        {"name too long", charTag("ELEVENCHARS", 3), {}},
        {"name with a blank", charTag("A B", 3), {}},
        {"name starting with a digit", charTag("1ST", 3), {}},
        {"key length zero", charTag("X", 0), {}},
        {"key length 241", charTag("X", 241), {}},
        {"no key expression", noExpression, {}},
        {"key of the wrong length", charTag("X", 3), {{"ab", 1}}},
        {"same entry twice", charTag("X", 3), {{"abc", 1}, {"abc", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            CdxFile::create(fs_.open(path_, OpenMode::ReadWrite), {{charTag("OTHER", 3), {}}, {c.def, c.entries}});
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::InvalidArgument);
        }
        EXPECT_TRUE(fs_.contents(path_) == before);
    }
    EXPECT_THROW(create({{charTag("TWICE", 3), {}}, {charTag("twice", 3), {}}}), Error);
}

TEST_F(CdxTree, CursorCarriesOnWhenTheTreeChangesUnderIt) {
    Model model;
    for (uint32_t r = 1; r <= 2000; ++r) model.insert({key(r), r});
    auto cdx = create({{charTag("CODE", 12), entriesOf(model)}});
    CdxTag& tag = cdx->tag("CODE");
    CdxCursor cursor(tag);
    ASSERT_EQ(cursor.seek(key(1000)), CdxSeekResult::Found);

    // The current entry goes away: next is the one after it.
    ASSERT_TRUE(tag.remove(key(1000), 1000));
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.recno(), 1001u);
    // Entries arrive around it, enough to split its leaf several times.
    for (uint32_t r = 3000; r < 3300; ++r) ASSERT_TRUE(tag.insert(key(1001), r));
    ASSERT_TRUE(tag.insert(key(1000), 5000));
    ASSERT_TRUE(cursor.prior());
    EXPECT_EQ(cursor.recno(), 5000u);
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.recno(), 1001u);
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.recno(), 3000u);
}

TEST_F(CdxTree, InvalidateShowsAnotherWritersChanges) {
    auto writer = create({{charTag("CODE", 12), {{key(1), 1}}}});
    auto reader = reopen();
    CdxTag& readerTag = reader->tag("CODE");
    expectMatches(readerTag, {{key(1), 1}});
    const uint32_t seen = reader->changeCounter();

    // Every change moves the counter the reader can check cheaply.
    for (uint32_t r = 2; r <= 500; ++r) writer->tag("CODE").insert(key(r), r);
    EXPECT_EQ(reader->changeCounter(), seen + 499);
    writer->tag("CODE").remove(key(500), 500);
    writer->tag("CODE").insert(key(500), 500);
    EXPECT_FALSE(writer->tag("CODE").remove(key(501), 501));
    EXPECT_EQ(reader->changeCounter(), seen + 501);
    writer->addTag(charTag("LATER", 12), {{key(9), 9}});
    EXPECT_GT(reader->changeCounter(), seen + 501);
    reader->invalidate();
    Model model;
    for (uint32_t r = 1; r <= 500; ++r) model.insert({key(r), r});
    expectMatches(readerTag, model);  // the same tag object, now seeing 500 entries
    ASSERT_EQ(reader->tags().size(), 2u);
    expectMatches(reader->tag("LATER"), {{key(9), 9}});
}

// XOR with a byte taken from the offset: enough to show every unit passes
// through the codec both ways, at its own offset.
class XorCodec : public CdxPageCodec {
public:
    void encode(uint64_t offset, unsigned char* page, std::size_t size) const override { apply(offset, page, size); }
    void decode(uint64_t offset, unsigned char* page, std::size_t size) const override { apply(offset, page, size); }

private:
    static void apply(uint64_t offset, unsigned char* page, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) page[i] ^= static_cast<unsigned char>(0x5A + offset / 512 + i);
    }
};

TEST_F(CdxTree, PageCodecCoversEveryPage) {
    const auto codec = std::make_shared<XorCodec>();
    Model model;
    for (uint32_t r = 1; r <= 3000; ++r) model.insert({key(r % 700), r});
    {
        auto cdx = CdxFile::create(fs_.open(path_, OpenMode::CreateTruncate),
                                   {{charTag("SECRET", 12), entriesOf(model)}}, codec);
        cdx->tag("SECRET").insert(key(5), 9999);
        model.insert({key(5), 9999});
    }
    const std::string raw = fs_.contents(path_);
    EXPECT_EQ(raw.find("SECRET"), std::string::npos);
    EXPECT_EQ(raw.find("000005"), std::string::npos);

    auto cdx = CdxFile::open(fs_.open(path_, OpenMode::ReadWrite), codec);
    expectMatches(cdx->tag("SECRET"), model);
    try {
        CdxFile::open(fs_.open(path_, OpenMode::ReadOnly));
        ADD_FAILURE() << "opened without the codec";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::CorruptFile);
    }
}

TEST_F(CdxTree, IndexWithoutTagsOrEntries) {
    create({});
    auto cdx = reopen();
    EXPECT_TRUE(cdx->tags().empty());
    CdxTag& tag = cdx->addTag(charTag("EMPTY", 5), {});
    CdxCursor cursor(tag);
    EXPECT_FALSE(cursor.first());
    EXPECT_FALSE(cursor.last());
    EXPECT_EQ(tag.verify(), 0u);
    ASSERT_TRUE(tag.insert("hello", 7));
    cdx = reopen();
    expectMatches(cdx->tag("EMPTY"), {{"hello", 7}});
}

}  // namespace

// Write-behind holds the file header (free list, counter) in memory; a new
// tag that splits the tag directory rewrites that header and must start
// from the held one, or freed pages would be handed out twice.
TEST_F(CdxTree, WriteBehindKeepsTheFreeListWhenTheTagDirectoryGrows) {
    Model model;
    for (uint32_t r = 1; r <= 3000; ++r) model.insert({key(r * 7 % 1000), r});
    auto cdx = create({{charTag("CODE", 12), entriesOf(model)}});
    cdx->setWriteBehind(true);
    // Removed in order, whole leaves empty and go to the free list.
    const std::vector<Entry> order(model.begin(), model.end());
    for (std::size_t i = 0; i < 2000; ++i) {
        ASSERT_TRUE(cdx->tag("CODE").remove(order[i].first, order[i].second));
        model.erase(order[i]);
    }
    for (int n = 0; n < 200; ++n) cdx->addTag(charTag("T" + std::to_string(n), 8), {{"ABCDEFGH", 1}});
    CdxTag& tag = cdx->tag("CODE");
    for (std::size_t i = 0; i < 2000; ++i) {
        ASSERT_TRUE(tag.insert(order[i].first, order[i].second));
        model.insert(order[i]);
    }
    expectMatches(tag, model);
    cdx->sync();
    cdx = reopen();
    expectMatches(cdx->tag("CODE"), model);
    EXPECT_EQ(cdx->tags().size(), 201u);
    EXPECT_EQ(cdx->tag("T199").verify(), 1u);
}
