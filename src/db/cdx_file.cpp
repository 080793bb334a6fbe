#include "db/cdx_file.h"

#include <algorithm>
#include <cstring>

#include "db/byte_order.h"
#include "db/error.h"

namespace vv::db {

using namespace cdx;

namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

bool validName(std::string_view name) {
    if (name.empty() || name.size() > kTagNameLength || (name[0] >= '0' && name[0] <= '9')) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// Checks a definition; returns it with the name upper case.
CdxTagDef checkDef(const std::string& path, const CdxTagDef& def) {
    auto fail = [&](const std::string& what) {
        throw Error(ErrorKind::InvalidArgument, path + ": tag " + def.name + ": " + what);
    };
    if (!validName(def.name)) fail("a tag name is 1-10 letters, digits or '_', not starting with a digit");
    if (def.keyLength == 0 || def.keyLength > kMaxKeyLength) fail("the key length must be 1-240 bytes");
    if (def.keyExpression.empty()) fail("the key expression is empty");
    if (def.keyExpression.find('\0') != std::string::npos || def.forExpression.find('\0') != std::string::npos ||
        def.keyExpression.size() + def.forExpression.size() + 2 > kHeaderSize - kHeaderPool)
        fail("the key and FOR expressions do not fit in the tag header");
    CdxTagDef result = def;
    result.name = upper(def.name);
    return result;
}

// Checks loose entries of a checked definition and puts them in index order.
FlatKeys sortedEntries(const std::string& path, const CdxTagDef& def, std::vector<CdxEntry>& entries) {
    auto fail = [&](const std::string& what) {
        throw Error(ErrorKind::InvalidArgument, path + ": tag " + def.name + ": " + what);
    };
    for (const CdxEntry& entry : entries)
        if (entry.key.size() != def.keyLength) fail("a key of " + std::to_string(entry.key.size()) + " bytes");
    const auto before = [](const CdxEntry& a, const CdxEntry& b) {
        if (int c = a.key.compare(b.key)) return c < 0;
        return a.recno < b.recno;
    };
    if (!std::is_sorted(entries.begin(), entries.end(), before)) std::sort(entries.begin(), entries.end(), before);
    for (std::size_t i = 1; i < entries.size(); ++i)
        if (entries[i].key == entries[i - 1].key && entries[i].recno == entries[i - 1].recno)
            fail("record " + std::to_string(entries[i].recno) + " twice with one key");
    FlatKeys keys(def.keyLength);
    for (const CdxEntry& entry : entries) keys.add(entry.key, entry.recno);
    keys.sort();  // in order already: this only sets up the view
    return keys;
}

}  // namespace

CdxFile::CdxFile(std::unique_ptr<File> file, std::shared_ptr<const CdxPageCodec> codec)
    : file_(std::move(file)), pager_(*file_, std::move(codec)) {}

std::unique_ptr<CdxFile> CdxFile::open(std::unique_ptr<File> file, std::shared_ptr<const CdxPageCodec> codec) {
    auto cdx = std::make_unique<CdxFile>(std::move(file), std::move(codec));
    if (cdx->file_->size() < kHeaderSize + kPageSize)
        throw Error(ErrorKind::CorruptFile, cdx->path() + ": too short for a compound index");
    unsigned char header[kHeaderSize];
    cdx->pager_.readHeader(0, header);
    if ((header[kHeaderOptions] & (kOptionCompact | kOptionCompound)) != (kOptionCompact | kOptionCompound))
        throw Error(ErrorKind::CorruptFile, cdx->path() + ": not a compact compound index");
    if (CdxPager::halfWritten(header))
        throw Error(ErrorKind::CorruptFile,
                    cdx->path() + ": the program stopped before it had written all its changes to the index");
    cdx->directory_ = std::make_unique<CdxTag>(cdx->pager_, 0);
    cdx->loadDirectory();
    return cdx;
}

std::vector<CdxTagDef> CdxFile::checkDefs(const std::string& path, const std::vector<CdxTagDef>& defs) {
    std::vector<CdxTagDef> checked;
    for (const CdxTagDef& def : defs) {
        checked.push_back(checkDef(path, def));
        for (std::size_t i = 0; i + 1 < checked.size(); ++i)
            if (checked[i].name == checked.back().name)
                throw Error(ErrorKind::InvalidArgument, path + ": tag " + checked.back().name + " twice");
    }
    return checked;
}

std::unique_ptr<CdxFile> CdxFile::create(std::unique_ptr<File> file, std::vector<CdxTagBuild> tags,
                                         std::shared_ptr<const CdxPageCodec> codec) {
    // Everything is checked before the old file is touched.
    std::vector<CdxTagDef> defs;
    for (const CdxTagBuild& build : tags) defs.push_back(build.def);
    defs = checkDefs(file->path(), defs);
    std::vector<CdxLeafLevel> leaves;
    for (std::size_t i = 0; i < tags.size(); ++i)
        leaves.push_back(
            packCdxLeaves(cdxFillerByte(defs[i].keyType), sortedEntries(file->path(), defs[i], tags[i].entries)));
    tags.clear();
    return createPacked(
        std::move(file), defs, [&](std::size_t i) -> CdxLeafLevel& { return leaves[i]; }, std::move(codec));
}

std::unique_ptr<CdxFile> CdxFile::createPacked(std::unique_ptr<File> file, const std::vector<CdxTagDef>& defs,
                                               const PackedLeavesOf& leavesOf,
                                               std::shared_ptr<const CdxPageCodec> codec) {
    const std::vector<CdxTagDef> checked = checkDefs(file->path(), defs);
    file->truncate(0);
    auto cdx = std::make_unique<CdxFile>(std::move(file), std::move(codec));
    cdx->writeEmpty();
    cdx->directory_ = std::make_unique<CdxTag>(cdx->pager_, 0);
    for (std::size_t i = 0; i < checked.size(); ++i) {
        CdxLeafLevel& leaves = leavesOf(i);
        if (leaves.keyLength != checked[i].keyLength)
            throw Error(ErrorKind::InvalidArgument, cdx->path() + ": tag " + checked[i].name + ": keys of " +
                                                        std::to_string(leaves.keyLength) + " bytes");
        cdx->addChecked(checked[i], leaves);
    }
    return cdx;
}

void CdxFile::writeEmpty() {
    unsigned char header[kHeaderSize] = {};
    writeLe32(header + kHeaderRoot, kHeaderSize);
    writeLe16(header + kHeaderKeyLength, kTagNameLength);
    header[kHeaderOptions] = kOptionCompact | kOptionCompound | kOptionStructure;
    header[kHeaderSignature] = 1;
    writeLe16(header + kHeaderSelfSize, kHeaderSize);
    writeLe16(header + kHeaderPageSize, kPageSize);
    writeLe16(header + kHeaderForStart, 1);
    writeLe16(header + kHeaderForLength, 1);
    writeLe16(header + kHeaderKeyExprLength, 1);
    pager_.writeHeader(0, header);

    CdxNode root;
    root.attributes = kAttributeRoot | kAttributeLeaf;
    root.keyLength = kTagNameLength;
    CdxPager::Page page;
    encodeCdxNode(root, ' ', page.data());
    pager_.write(pager_.allocateAtEnd(1), page);
}

void CdxFile::loadDirectory() {
    std::vector<std::pair<uint32_t, std::string>> found;
    CdxTag::Position pos;
    for (bool more = directory_->first(pos); more; more = directory_->next(pos)) {
        std::string name(pos.leaf->key(pos.index));
        while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
        found.emplace_back(pos.leaf->recnos[pos.index], std::move(name));
    }
    std::sort(found.begin(), found.end());
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i].first < kHeaderSize || (i > 0 && found[i].first == found[i - 1].first))
            pager_.corrupt(found[i].first, "tag " + found[i].second + " points at a taken place");
    }
    for (auto& tag : allTags_) tag->setPresent(false);
    tags_.clear();
    for (auto& entry : found) {
        const auto offset = entry.first;
        const auto& name = entry.second;
        auto known = std::find_if(allTags_.begin(), allTags_.end(),
                                  [&](const auto& tag) { return tag->headerOffset() == offset; });
        CdxTag* tag;
        if (known != allTags_.end()) {
            tag = known->get();
            tag->load();
        } else {
            allTags_.push_back(std::make_unique<CdxTag>(pager_, offset));
            tag = allTags_.back().get();
        }
        tag->setName(name);
        tag->setPresent(true);
        tags_.push_back(tag);
    }
}

CdxTag* CdxFile::findTag(std::string_view name) const {
    const std::string wanted = upper(name);
    for (CdxTag* tag : tags_)
        if (upper(tag->name()) == wanted) return tag;
    return nullptr;
}

CdxTag& CdxFile::tag(std::string_view name) const {
    if (CdxTag* found = findTag(name)) return *found;
    throw Error(ErrorKind::InvalidArgument, path() + ": no tag " + std::string(name));
}

CdxTag& CdxFile::addTag(const CdxTagDef& def, std::vector<CdxEntry> entries) {
    const CdxTagDef checked = checkDef(path(), def);
    CdxLeafLevel leaves = packCdxLeaves(cdxFillerByte(checked.keyType), sortedEntries(path(), checked, entries));
    return addChecked(checked, leaves);
}

CdxTag& CdxFile::addTag(const CdxTagDef& def, const FlatKeys& sortedKeys) {
    const CdxTagDef checked = checkDef(path(), def);
    if (sortedKeys.keyLength() != checked.keyLength)
        throw Error(ErrorKind::InvalidArgument, path() + ": tag " + checked.name + ": keys of " +
                                                    std::to_string(sortedKeys.keyLength()) + " bytes");
    CdxLeafLevel leaves = packCdxLeaves(cdxFillerByte(checked.keyType), sortedKeys);
    return addChecked(checked, leaves);
}

CdxTag& CdxFile::addChecked(const CdxTagDef& def, CdxLeafLevel& leaves) {
    if (findTag(def.name))
        throw Error(ErrorKind::InvalidArgument, path() + ": tag " + def.name + " already exists");
    if (def.name.size() > directory_->keyLength())
        throw Error(ErrorKind::InvalidArgument, path() + ": tag name " + def.name + " is too long here");
    const uint32_t headerOffset = pager_.allocateAtEnd(2);
    const uint32_t root = writeCdxTree(pager_, cdxFillerByte(def.keyType), leaves);
    CdxTag::writeHeader(pager_, headerOffset, def, root);
    // Only now does the tag become visible to readers of the directory.
    directory_->insert(cdxCharacterKey(def.name, directory_->keyLength()), headerOffset);
    allTags_.push_back(std::make_unique<CdxTag>(pager_, headerOffset));
    CdxTag* tag = allTags_.back().get();
    tag->setName(def.name);
    tag->setKeyType(def.keyType);
    tags_.push_back(tag);
    return *tag;
}

void CdxFile::invalidate() {
    pager_.invalidate();
    directory_->load();
    loadDirectory();
}

}  // namespace vv::db
