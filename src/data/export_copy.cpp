// The copying half of the export: chosen source records into the outbox.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/catalogue.h"
#include "data/export_run.h"
#include "data/paths.h"
#include "db/error.h"
#include "db/table.h"

namespace vv::data {
namespace {

struct ExportPair {
    const char* source;
    const char* target;
    const char* message;
    int ExportCounts::*counter;
    const char* newestFirstBy;  // date field the copies go out by, newest first; null: record order
};

constexpr ExportPair kPairs[] = {
    {"SALECALL.DBF", "EXPCALLS.DBF", "Exporting Calls...", &ExportCounts::calls, "DATE"},
    {"TRACES.DBF", "EXPTRACE.DBF", "Exporting Traces...", &ExportCounts::traces, nullptr},
    {"SALES.DBF", "EXPSALES.DBF", "Exporting Tracking...", &ExportCounts::tracking, nullptr},
};

// How a field travels: dates as dates, numbers as numbers (whole ones
// rounded), everything else (memos included) as text.
enum class CopyAs { Text, Date, Whole, Number };

struct FieldCopy {
    int from = 0;
    int to = 0;
    CopyAs as = CopyAs::Text;
    std::string name;
};

std::vector<FieldCopy> copyPlan(const TableDef& target, const db::Table& source, const db::Table& exportTable) {
    std::vector<FieldCopy> plan;
    for (const auto& f : target.fields) {
        FieldCopy c;
        c.name = f.name;
        c.from = source.fieldIndex(f.name);
        c.to = exportTable.fieldIndex(f.name);
        if (c.from < 0) throw db::Error(db::ErrorKind::FieldNotFound, source.name() + " has no field " + f.name);
        if (c.to < 0) throw db::Error(db::ErrorKind::FieldNotFound, exportTable.name() + " has no field " + f.name);
        const db::FieldDef& stored = exportTable.fields()[static_cast<std::size_t>(c.to)];
        switch (stored.type) {
        case db::FieldType::Date: c.as = CopyAs::Date; break;
        case db::FieldType::Numeric:
        case db::FieldType::Float:
        case db::FieldType::Integer:
        case db::FieldType::Double:
        case db::FieldType::Currency: c.as = stored.decimals == 0 ? CopyAs::Whole : CopyAs::Number; break;
        default: c.as = CopyAs::Text; break;
        }
        plan.push_back(std::move(c));
    }
    return plan;
}

// A record's exported values, read under its lock and kept until the copy
// is appended: per field a blank mark, or the value (text with its length,
// a date's day number, a number's double).
class PackedValues {
public:
    void read(const db::Table& source, const std::vector<FieldCopy>& plan) {
        bytes_.clear();
        for (const auto& c : plan) {
            if (source.isBlank(c.from)) {
                bytes_ += '\0';
                continue;
            }
            bytes_ += '\1';
            switch (c.as) {
            case CopyAs::Text: {
                const std::string text = source.getText(c.from);
                put(static_cast<uint32_t>(text.size()));
                bytes_ += text;
                break;
            }
            case CopyAs::Date: put(source.getDate(c.from).julian()); break;
            case CopyAs::Whole:
            case CopyAs::Number: put(source.getNumber(c.from)); break;
            }
        }
    }

    // The new record starts blank, so blank fields need no write and stay
    // blank rather than turning into 0.
    void write(db::Table& target, const std::vector<FieldCopy>& plan) const {
        std::size_t at = 0;
        for (const auto& c : plan) {
            if (bytes_[at++] == '\0') continue;
            switch (c.as) {
            case CopyAs::Text: {
                const auto size = take<uint32_t>(at);
                target.setText(c.to, std::string_view(bytes_).substr(at, size));
                at += size;
                break;
            }
            case CopyAs::Date: target.setDate(c.name, db::Date::fromJulian(take<int32_t>(at))); break;
            case CopyAs::Whole: target.setInt(c.name, std::llround(take<double>(at))); break;
            case CopyAs::Number: target.setNumber(c.name, take<double>(at)); break;
            }
        }
    }

private:
    template <typename T>
    void put(T value) {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    template <typename T>
    T take(std::size_t& at) const {
        T value;
        std::memcpy(&value, bytes_.data() + at, sizeof value);
        at += sizeof value;
        return value;
    }

    std::string bytes_;
};

// A record marked exported whose copy is still to be appended.
struct PendingCopy {
    uint32_t recno = 0;
    db::Date orderDate;       // newest first by this, when the pair says so
    db::Date formerExported;  // put back should the copy be given up
    PackedValues values;
};

// Runs `step` until it goes through or the user gives up; `undo` leaves the
// table browsing after a refused step.
template <typename Step, typename Undo>
bool attempt(const Step& step, const Undo& undo, const ExportHooks& hooks) {
    for (;;) {
        try {
            step();
            return true;
        } catch (const db::Error& e) {
            try {
                undo();
            } catch (const db::Error&) {
                // Already browsing.
            }
            if (!hooks.askRetry || !hooks.askRetry(e)) return false;
        }
    }
}

// Moving to a record near the current one steps there through the table's
// read-ahead window; a jump re-reads the window, which for every record of
// a long run costs far more than the copying itself.
constexpr uint32_t kStepRange = 1024;

void moveTo(db::Table& t, uint32_t target) {
    const uint32_t from = t.recno();
    const uint32_t distance = from > target ? from - target : target - from;
    if (from != 0 && !t.eof() && !t.bof() && distance <= kStepRange) {
        while (!t.eof() && t.recno() < target) t.next();
        while (!t.bof() && t.recno() > target) t.prior();
        if (!t.eof() && !t.bof() && t.recno() == target) return;
    }
    t.go(target);
}

std::vector<uint32_t> chosenRecords(db::Table& source, ExportChoice choice) {
    const int modified = source.fieldIndex("MODIFIED");
    const int exported = source.fieldIndex("EXPORTED");
    if (modified < 0 || exported < 0)
        throw db::Error(db::ErrorKind::FieldNotFound, source.name() + " lacks the export stamps");
    std::vector<uint32_t> chosen;
    for (source.first(); !source.eof(); source.next())
        if (chosenForExport(source.getDate(modified), source.getDate(exported), choice)) chosen.push_back(source.recno());
    return chosen;
}

// Marks the chosen records in record order, each under its lock, and keeps
// their values. Going through the file in its own order keeps the reads
// sequential; the order the copies go out in is settled afterwards.
std::vector<PendingCopy> markChosen(db::Table& source, const ExportPair& pair, const std::vector<FieldCopy>& plan,
                                    ExportChoice choice, db::Date today, const ExportHooks& hooks,
                                    ExportCounts& counts) {
    const int orderBy = pair.newestFirstBy ? source.fieldIndex(pair.newestFirstBy) : -1;
    std::vector<PendingCopy> pending;
    for (const uint32_t recno : chosenRecords(source, choice)) {
        moveTo(source, recno);
        // A record the user gives up on is left unmarked for the next run.
        if (!attempt([&] { source.edit(); }, [&] { source.cancel(); }, hooks)) {
            ++counts.skipped;
            continue;
        }
        PendingCopy p;
        p.recno = recno;
        p.orderDate = orderBy >= 0 ? source.getDate(orderBy) : db::Date();
        p.formerExported = source.getDate("EXPORTED");
        p.values.read(source, plan);
        source.setDate("EXPORTED", today);
        source.post();
        pending.push_back(std::move(p));
    }
    if (orderBy >= 0)
        std::stable_sort(pending.begin(), pending.end(),
                         [](const PendingCopy& a, const PendingCopy& b) { return a.orderDate > b.orderDate; });
    return pending;
}

}  // namespace

bool chosenForExport(db::Date modified, db::Date exported, ExportChoice choice) {
    if (choice == ExportChoice::All) return true;
    // The empty date is julian day 0, below every real date.
    return !modified.isEmpty() && modified > exported;
}

ExportCounts copyForExport(const std::string& dataFolder, ExportChoice choice, db::Date today,
                           const ExportHooks& hooks) {
    ExportCounts counts;
    const std::string outbox = exportFolder(dataFolder);
    db::OpenOptions exclusive;
    exclusive.exclusive = true;
    for (const auto& pair : kPairs) {
        auto source = db::Table::open(dataFolder, pair.source);
        auto target = db::Table::open(outbox, pair.target, exclusive);
        if (hooks.progress) hooks.progress(pair.message);
        const auto plan = copyPlan(tableDef(pair.target), *source, *target);
        for (const PendingCopy& p : markChosen(*source, pair, plan, choice, today, hooks, counts)) {
            const bool copied = attempt(
                [&] {
                    target->append();
                    p.values.write(*target, plan);
                    target->post();
                },
                [&] { target->cancel(); }, hooks);
            if (copied) {
                ++(counts.*pair.counter);
                continue;
            }
            // Given up: the record is neither copied nor marked.
            moveTo(*source, p.recno);
            source->edit();
            source->setDate("EXPORTED", p.formerExported);
            source->post();
            ++counts.skipped;
        }
        source->close();
        target->close();
    }
    return counts;
}

}  // namespace vv::data
