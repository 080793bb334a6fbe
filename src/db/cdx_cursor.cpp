#include "db/cdx_cursor.h"

#include <string>

namespace vv::db {

bool CdxCursor::settle(bool positioned) {
    valid_ = positioned;
    generation_ = tag_->generation();
    return positioned;
}

bool CdxCursor::first() { return settle(tag_->descending() ? tag_->last(pos_) : tag_->first(pos_)); }

bool CdxCursor::last() { return settle(tag_->descending() ? tag_->first(pos_) : tag_->last(pos_)); }

bool CdxCursor::next() { return tag_->descending() ? physicalPrior() : physicalNext(); }

bool CdxCursor::prior() { return tag_->descending() ? physicalNext() : physicalPrior(); }

bool CdxCursor::physicalNext() {
    if (!valid_) return false;
    if (generation_ != tag_->generation()) {
        const std::string key(this->key());
        const uint32_t recno = this->recno();
        if (!tag_->lowerBound(CdxTag::Match::Entry, key, recno, pos_)) return settle(false);
        // Our entry vanished: the one that took its place is already the next.
        if (this->key() != key || this->recno() != recno) return settle(true);
    }
    return settle(tag_->next(pos_));
}

bool CdxCursor::physicalPrior() {
    if (!valid_) return false;
    if (generation_ != tag_->generation()) {
        const std::string key(this->key());
        const uint32_t recno = this->recno();
        if (!tag_->lowerBound(CdxTag::Match::Entry, key, recno, pos_)) return settle(tag_->last(pos_));
    }
    return settle(tag_->prior(pos_));
}

CdxSeekResult CdxCursor::seek(std::string_view key) {
    const std::string_view prefix = key.substr(0, tag_->keyLength());
    bool positioned;
    if (!tag_->descending()) {
        positioned = tag_->lowerBound(CdxTag::Match::PrefixAtLeast, prefix, 0, pos_);
    } else {
        // The last key <= prefix: step back from the first key above it.
        positioned = tag_->lowerBound(CdxTag::Match::PrefixAbove, prefix, 0, pos_) ? tag_->prior(pos_)
                                                                                   : tag_->last(pos_);
    }
    if (!settle(positioned)) return CdxSeekResult::End;
    return this->key().substr(0, prefix.size()) == prefix ? CdxSeekResult::Found : CdxSeekResult::After;
}

bool CdxCursor::find(std::string_view key, uint32_t recno) {
    if (!tag_->lowerBound(CdxTag::Match::Entry, key, recno, pos_)) return settle(false);
    return settle(this->key() == key && this->recno() == recno);
}

}  // namespace vv::db
