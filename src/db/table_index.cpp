#include "db/table_index.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <optional>
#include <thread>

#include "db/cdx_tree_build.h"
#include "db/error.h"
#include "db/flat_keys.h"

namespace vv::db {
namespace {

// Index pages of an encrypted table go to disk encrypted with the table's
// cipher, each tweaked by its place in the file.
class CipherPageCodec final : public CdxPageCodec {
public:
    explicit CipherPageCodec(const TableCipher& cipher) : cipher_(cipher) {}
    void encode(uint64_t offset, unsigned char* page, std::size_t size) const override {
        cipher_.encryptPage(offset, page, size);
    }
    void decode(uint64_t offset, unsigned char* page, std::size_t size) const override {
        cipher_.decryptPage(offset, page, size);
    }

private:
    TableCipher cipher_;
};

std::shared_ptr<const CdxPageCodec> codecFor(const TableCipher* cipher) {
    if (!cipher) return nullptr;
    return std::make_shared<CipherPageCodec>(*cipher);
}

CdxKeyType keyTypeOf(ValueType type) {
    switch (type) {
    case ValueType::Numeric: return CdxKeyType::Numeric;
    case ValueType::Date: return CdxKeyType::Date;
    default: return CdxKeyType::Character;
    }
}

std::size_t keyLengthOf(const Expression& key, const std::string& tagName) {
    switch (key.type()) {
    case ValueType::Numeric:
    case ValueType::Date: return 8;
    case ValueType::Logical: return 1;
    case ValueType::Character: break;
    }
    const int width = key.width();
    if (width <= 0)
        throw Error(ErrorKind::BadExpression,
                    "The key of tag " + tagName + " (" + key.text() + ") does not have a fixed length");
    if (width > 240)
        throw Error(ErrorKind::BadExpression,
                    "The key of tag " + tagName + " (" + key.text() + ") is longer than 240 characters");
    return static_cast<std::size_t>(width);
}

void computeKey(const Expression& key, CdxKeyType type, std::size_t length, const RecordView& record,
                std::string& out) {
    switch (key.type()) {
    case ValueType::Numeric: out = cdxNumericKey(key.evalNumber(record)); return;
    case ValueType::Date: out = cdxDateKey(key.evalDate(record).julian()); return;
    case ValueType::Logical: out.assign(1, key.evalLogical(record) ? 'T' : 'F'); return;
    case ValueType::Character: break;
    }
    (void)type;
    key.evalTextInto(record, out);
    out.resize(length, ' ');
}

}  // namespace

TableIndex::TableIndex(std::unique_ptr<CdxFile> cdx, const FieldList& fields, const CodePage& codePage)
    : cdx_(std::move(cdx)), fields_(fields), codePage_(codePage) {}

std::unique_ptr<TableIndex> TableIndex::open(std::unique_ptr<File> file, const FieldList& fields,
                                             const CodePage& codePage, const TableCipher* cipher) {
    auto cdx = CdxFile::open(std::move(file), codecFor(cipher));
    std::unique_ptr<TableIndex> index(new TableIndex(std::move(cdx), fields, codePage));
    index->compileTags();
    index->counter_ = index->cdx_->changeCounter();
    return index;
}

TableIndex::Tag TableIndex::compileTag(CdxTag& cdx) const {
    Tag tag;
    tag.cdx = &cdx;
    try {
        tag.key = Expression::compile(cdx.keyExpression(), fields_, codePage_);
        tag.fields = tag.key.fieldNames();
        cdx.setKeyType(keyTypeOf(tag.key.type()));
        if (!cdx.forExpression().empty())
            tag.condition = Expression::compileFilter(cdx.forExpression(), fields_, codePage_);
    } catch (const Error& e) {
        tag.key = Expression();
        tag.problem = "the tag " + cdx.name() + " (" + cdx.keyExpression() + ") cannot be kept up to date here: " +
                      e.what();
    }
    return tag;
}

void TableIndex::compileTags() {
    tags_.clear();
    for (CdxTag* cdx : cdx_->tags()) tags_.push_back(compileTag(*cdx));
}

TableIndex::Tag* TableIndex::find(std::string_view name) {
    CdxTag* cdx = cdx_->findTag(name);
    if (!cdx) return nullptr;
    for (Tag& tag : tags_)
        if (tag.cdx == cdx) return &tag;
    return nullptr;
}

bool TableIndex::keyOf(const Tag& tag, const RecordView& record, std::string& out) const {
    if (!tag.key.valid()) throw Error(ErrorKind::InvalidState, cdx_->path() + ": " + tag.problem);
    if (tag.condition.valid() && !tag.condition.evalLogical(record)) return false;
    computeKey(tag.key, tag.cdx->keyType(), tag.cdx->keyLength(), record, out);
    return true;
}

std::optional<std::string> TableIndex::soughtKey(const Tag& tag,
                                                 const std::vector<std::string>& valuesUtf8) const {
    auto refuse = [&](const std::string& what) {
        throw Error(ErrorKind::InvalidArgument, "Cannot seek " + what + " on tag " + tag.cdx->name());
    };
    if (valuesUtf8.empty()) refuse("nothing");
    const std::string& first = valuesUtf8.front();
    if (tag.cdx->keyType() != CdxKeyType::Character && valuesUtf8.size() != 1) refuse("several values");
    if (tag.cdx->keyType() == CdxKeyType::Numeric) {
        double v = 0;
        std::size_t used = 0;
        try {
            v = std::stod(first, &used);
        } catch (const std::logic_error&) {
            used = 0;
        }
        if (used == 0 || first.find_first_not_of(' ', used) != std::string::npos) refuse("\"" + first + "\"");
        return cdxNumericKey(v);
    }
    if (tag.cdx->keyType() == CdxKeyType::Date) {
        auto d = Date::fromDisplay(first);
        if (!d) d = Date::fromDtos(first);
        if (!d && first.find_first_not_of(' ') == std::string::npos) d = Date();
        if (!d) refuse("\"" + first + "\"");
        return cdxDateKey(d->julian());
    }
    std::string key;
    for (std::size_t i = 0; i < valuesUtf8.size(); ++i) {
        std::string bytes = codePage_.fromUtf8(valuesUtf8[i]);
        // Each value fills its field's width in the key.
        std::size_t width = 0;
        if (i < tag.fields.size())
            for (const FieldDef& f : fields_)
                if (f.name == tag.fields[i]) width = f.type == FieldType::Date ? 8 : f.width;
        if (width == 0 && i + 1 < valuesUtf8.size()) refuse("more values than the key has fields");
        // One text longer than the first field is the whole key, as a
        // composite key is often sought.
        if (valuesUtf8.size() == 1 && bytes.size() > width) width = 0;
        if (width > 0) {
            while (bytes.size() > width && bytes.back() == ' ') bytes.pop_back();
            if (bytes.size() > width) return std::nullopt;
            bytes.resize(width, ' ');
        }
        key += bytes;
    }
    if (key.size() > tag.cdx->keyLength()) key.resize(tag.cdx->keyLength());
    return key;
}

void TableIndex::requireMaintainable() const {
    for (const Tag& tag : tags_)
        if (!tag.key.valid()) throw Error(ErrorKind::InvalidState, cdx_->path() + ": " + tag.problem);
}

TableIndex::~TableIndex() {
    try {
        cdx_->flushPending();
    } catch (...) {
        // A destructor must not throw; check and the rebuild find what is missing.
        // (Only an unfinished batch after an error can be pending here.)
    }
}

void TableIndex::update(uint32_t recno, const unsigned char* oldRecord, const unsigned char* newRecord,
                        const MemoSource* memos) {
    // All tags' pages go out together, each written once, with one change
    // of the counter for the whole post.
    cdx_->beginBatch();
    std::string oldKey, newKey;
    try {
        for (Tag& tag : tags_) {
            const bool hadKey = oldRecord && keyOf(tag, RecordView{oldRecord, recno, memos}, oldKey);
            const bool hasKey = keyOf(tag, RecordView{newRecord, recno, memos}, newKey);
            if (hadKey && hasKey && oldKey == newKey) continue;
            if (hadKey) tag.cdx->remove(oldKey, recno);
            if (hasKey) tag.cdx->insert(newKey, recno);
        }
    } catch (...) {
        cdx_->endBatch();
        throw;
    }
    cdx_->endBatch();
}

std::unique_ptr<TableIndex> TableIndex::build(std::unique_ptr<File> file, const FieldList& fields,
                                              const CodePage& codePage, const TableCipher* cipher,
                                              const std::vector<IndexTagSpec>& specs, const RecordScan& scan,
                                              const MemoSource* memos) {
    // Compile everything before the old file is touched.
    struct Plan {
        Expression key, condition;
        std::optional<FlatKeys> keys;
    };
    std::vector<Plan> plans(specs.size());
    std::vector<CdxTagDef> defs(specs.size());
    for (std::size_t i = 0; i < specs.size(); ++i) {
        Plan& plan = plans[i];
        CdxTagDef& def = defs[i];
        plan.key = Expression::compile(specs[i].expression, fields, codePage);
        if (!specs[i].condition.empty())
            plan.condition = Expression::compileFilter(specs[i].condition, fields, codePage);
        def.name = specs[i].name;
        def.keyExpression = specs[i].expression;
        def.forExpression = specs[i].condition;
        def.keyType = keyTypeOf(plan.key.type());
        def.keyLength = keyLengthOf(plan.key, specs[i].name);
        def.descending = specs[i].descending;
        plan.keys.emplace(def.keyLength);
    }
    std::string key;
    scan([&](uint32_t recno, const unsigned char* record) {
        const RecordView view{record, recno, memos};
        for (std::size_t i = 0; i < plans.size(); ++i) {
            Plan& plan = plans[i];
            if (plan.condition.valid() && !plan.condition.evalLogical(view)) continue;
            computeKey(plan.key, defs[i].keyType, defs[i].keyLength, view, key);
            plan.keys->add(key, recno);
        }
    });
    // Sorting and packing dominate: the cores take the tags in file order
    // while this thread writes each one out as soon as it is packed.
    std::vector<CdxLeafLevel> leaves(plans.size());
    std::vector<std::promise<void>> packed(plans.size());
    std::atomic<std::size_t> nextToPack{0};
    std::atomic<bool> stop{false};
    const unsigned workers =
        std::max(1u, std::min<unsigned>({std::thread::hardware_concurrency(), 8, static_cast<unsigned>(plans.size())}));
    std::vector<std::jthread> threads;
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back([&] {
            while (!stop) {
                const std::size_t i = nextToPack++;
                if (i >= plans.size()) break;
                try {
                    plans[i].keys->sort();
                    leaves[i] = packCdxLeaves(cdxFillerByte(defs[i].keyType), *plans[i].keys);
                    plans[i].keys.reset();  // its memory goes to the tags still to come
                    packed[i].set_value();
                } catch (...) {
                    packed[i].set_exception(std::current_exception());
                }
            }
        });
    struct StopWorkers {
        std::atomic<bool>& stop;
        std::vector<std::jthread>& threads;
        ~StopWorkers() {
            stop = true;
            threads.clear();  // joins: what they work on must outlive them
        }
    } stopWorkers{stop, threads};
    std::vector<std::future<void>> ready;
    for (auto& promise : packed) ready.push_back(promise.get_future());
    auto cdx = CdxFile::createPacked(
        std::move(file), defs,
        [&](std::size_t i) -> CdxLeafLevel& {
            if (i > 0) leaves[i - 1] = CdxLeafLevel();  // written
            ready[i].get();
            return leaves[i];
        },
        codecFor(cipher));
    std::unique_ptr<TableIndex> index(new TableIndex(std::move(cdx), fields, codePage));
    index->compileTags();
    index->counter_ = index->cdx_->changeCounter();
    return index;
}

void TableIndex::addTag(const IndexTagSpec& spec, const RecordScan& scan, const MemoSource* memos) {
    Expression key = Expression::compile(spec.expression, fields_, codePage_);
    Expression condition;
    if (!spec.condition.empty()) condition = Expression::compileFilter(spec.condition, fields_, codePage_);
    CdxTagDef def;
    def.name = spec.name;
    def.keyExpression = spec.expression;
    def.forExpression = spec.condition;
    def.keyType = keyTypeOf(key.type());
    def.keyLength = keyLengthOf(key, spec.name);
    def.descending = spec.descending;
    FlatKeys keys(def.keyLength);
    std::string k;
    scan([&](uint32_t recno, const unsigned char* record) {
        const RecordView view{record, recno, memos};
        if (condition.valid() && !condition.evalLogical(view)) return;
        computeKey(key, def.keyType, def.keyLength, view, k);
        keys.add(k, recno);
    });
    keys.sort();
    cdx_->addTag(def, keys);
    compileTags();
    noteOwnWrites();
}

std::vector<IndexTagSpec> TableIndex::specs() const {
    std::vector<IndexTagSpec> out;
    for (const Tag& tag : tags_)
        out.push_back({tag.cdx->name(), tag.cdx->keyExpression(), tag.cdx->descending(), tag.cdx->forExpression()});
    return out;
}

std::vector<std::string> TableIndex::verify(const RecordScan& scan, const MemoSource* memos) {
    constexpr std::size_t kLinesPerTag = 10;
    std::vector<std::string> problems;
    for (Tag& tag : tags_) {
        const std::string label = "tag " + tag.cdx->name() + ": ";
        if (!tag.key.valid()) {
            problems.push_back(label + tag.problem);
            continue;
        }
        try {
            tag.cdx->verify();
        } catch (const Error& e) {
            problems.push_back(label + e.what());
            continue;
        }
        FlatKeys expected(tag.cdx->keyLength());
        std::string k;
        scan([&](uint32_t recno, const unsigned char* record) {
            if (keyOf(tag, RecordView{record, recno, memos}, k)) expected.add(k, recno);
        });
        expected.sort();
        // Both sides are in (key, record) order: walk them together.
        std::size_t lines = 0, i = 0;
        auto report = [&](const std::string& line) {
            if (lines++ < kLinesPerTag) problems.push_back(label + line);
        };
        CdxTag::Position pos;
        for (bool ok = tag.cdx->first(pos); ok || i < expected.size();) {
            const std::string_view key = ok ? pos.leaf->key(pos.index) : std::string_view();
            const uint32_t recno = ok ? pos.leaf->recnos[pos.index] : 0;
            int order = !ok ? -1 : i == expected.size() ? 1 : expected.key(i).compare(key);
            if (order == 0) order = expected.recno(i) < recno ? -1 : expected.recno(i) > recno ? 1 : 0;
            if (order == 0) {
                ++i;
                ok = tag.cdx->next(pos);
            } else if (order < 0) {
                report("record " + std::to_string(expected.recno(i)) + " is missing");
                ++i;
            } else {
                report("an entry for record " + std::to_string(recno) + " does not match the record");
                ok = tag.cdx->next(pos);
            }
        }
        if (lines > kLinesPerTag) problems.push_back(label + std::to_string(lines - kLinesPerTag) + " more problems");
    }
    return problems;
}

void TableIndex::catchUp() {
    const uint32_t now = cdx_->changeCounter();
    if (now == counter_) return;
    cdx_->invalidate();
    // A tag added by someone else (an exclusive user) needs its key compiled.
    if (cdx_->tags().size() != tags_.size()) compileTags();
    counter_ = now;
}

void TableIndex::noteOwnWrites() { counter_ = cdx_->ownChangeCounter(); }

}  // namespace vv::db
