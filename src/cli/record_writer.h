// Writes records of a table as CSV or JSON, in UTF-8, for `vekvoro-admin dump`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "db/table.h"

namespace vv::cli {

enum class DumpFormat { Csv, Json };

class RecordWriter {
public:
    RecordWriter(std::ostream& out, const db::Table& table, DumpFormat format, bool withDeletedColumn);
    void begin();
    void write(const db::Table& table);  // the current record
    void end();

private:
    // The field's value as text (dates yyyy-mm-dd) and whether it is blank.
    std::string valueText(const db::Table& table, int index, bool& blank) const;

    std::ostream& out_;
    DumpFormat format_;
    bool deletedColumn_;
    std::vector<std::string> names_;
    std::vector<db::FieldType> types_;
    bool first_ = true;
};

std::string csvQuote(const std::string& text);
std::string jsonQuote(const std::string& text);

}  // namespace vv::cli
