// The rules of the code lookup dialog, without the dialog: which table it
// shows and how, where the grid stands, what the search box keeps and which
// value the pick returns.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/table.h"

namespace vv::shared {

// The arguments of a lookup, in the order the callers give them.
struct LookupRequest {
    std::string tableName;    // file name in the data folder, usually without extension: "account"
    std::string indexName;    // the tag that orders the grid; empty: record order
    std::string returnField;  // the field whose text is returned, or "recno" for the record number
    std::string filter;       // xBase filter; empty: none
    std::string caption;      // the heading: "Account Lookup"
    std::vector<std::string> fields;    // one grid column each, left to right; "" is a blank column
    std::vector<std::string> captions;  // the column titles, by position; at least as many as fields
};

// returnField that asks for the record number (exactly, in lower case).
inline constexpr const char* kReturnRecno = "recno";

// Where the grid goes in the dialog.
struct LookupGridGeometry {
    int width = 0;
    int left = 0;
};

class LookupSession {
public:
    // Opens the table in `folder`, reading an encrypted table in plain, on the
    // request's tag; checks the return field and the column fields; sets the
    // filter. Throws vv::db::Error, naming the table or field, when any of
    // that fails.
    LookupSession(const std::string& folder, const LookupRequest& request);

    db::Table& table() { return *table_; }
    const LookupRequest& request() const { return request_; }

    // Only the account table has a search box; it searches the field named
    // like the tag.
    bool hasSearchBox() const { return hasSearchBox_; }
    const std::string& searchField() const { return request_.indexName; }

    // The search box changed to `typed`: an empty text goes to the first row,
    // otherwise to the first row in order whose search field begins with it,
    // ignoring case. When nothing begins with it the last character is taken
    // off again, and again, so the box always holds a prefix that matches.
    // Returns the text the box keeps.
    std::string search(std::string typed);

    // The value the dialog returns for the current record: the text of the
    // return field, or for "recno" the physical record number in decimal.
    std::string currentValue() const;

    // The grid width from its columns' widths: their sum and 40, at most
    // 500; the left edge centres it in 550, a half going to the even side.
    static LookupGridGeometry gridGeometry(const std::vector<int>& columnWidths);

    // `typed` shortened character by character (UTF-8) until `matches` holds
    // or nothing is left.
    static std::string longestMatchingPrefix(std::string typed, const std::function<bool(std::string_view)>& matches);

private:
    LookupRequest request_;
    std::unique_ptr<db::Table> table_;
    bool hasSearchBox_ = false;
};

}  // namespace vv::shared
