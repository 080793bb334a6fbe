#include "shared/lookup_session.h"

#include <algorithm>
#include <cctype>

#include "data/catalogue.h"

namespace vv::shared {

namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool isAccountTable(std::string_view tableName) {
    const std::string name = upper(tableName);
    return name == "ACCOUNT";
}

}  // namespace

LookupSession::LookupSession(const std::string& folder, const LookupRequest& request)
    : request_(request), hasSearchBox_(isAccountTable(request.tableName)) {
    table_ = db::Table::open(folder, request_.tableName);
    if (table_->isEncrypted()) table_->enableEncryption(data::kTablePassword);
    if (!request_.indexName.empty()) table_->setIndexName(request_.indexName);
    if (request_.returnField != kReturnRecno) table_->field(request_.returnField);
    for (const std::string& f : request_.fields)
        if (!f.empty()) table_->field(f);
    if (!request_.filter.empty()) table_->setFilter(request_.filter);
    table_->first();
}

std::string LookupSession::search(std::string typed) {
    if (typed.empty()) {
        table_->first();
        return typed;
    }
    std::string kept = longestMatchingPrefix(std::move(typed), [this](std::string_view prefix) {
        return table_->locate(searchField(), prefix);
    });
    if (kept.empty()) table_->first();
    return kept;
}

std::string LookupSession::currentValue() const {
    if (request_.returnField == kReturnRecno) return std::to_string(table_->recno());
    return table_->getText(request_.returnField);
}

LookupGridGeometry LookupSession::gridGeometry(const std::vector<int>& columnWidths) {
    LookupGridGeometry g;
    long long sum = 40;
    for (int w : columnWidths) sum += w;
    g.width = static_cast<int>(std::min<long long>(sum, 500));
    const int room = 550 - g.width;  // at least 50
    g.left = room / 2;
    if (room % 2 != 0 && g.left % 2 != 0) ++g.left;
    return g;
}

std::string LookupSession::longestMatchingPrefix(std::string typed,
                                                 const std::function<bool(std::string_view)>& matches) {
    while (!typed.empty() && !matches(typed)) {
        // Take off one whole character: continuation bytes first, then its lead byte.
        while (typed.size() > 1 && (static_cast<unsigned char>(typed.back()) & 0xC0) == 0x80) typed.pop_back();
        typed.pop_back();
    }
    return typed;
}

}  // namespace vv::shared
