// The copying half of the export: chosen source records into the outbox.
#include <algorithm>
#include <cmath>
#include <memory>

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
    const char* newestFirstBy;  // date field the records go out by, newest first; null: record order
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

// The new record starts blank, so blank source fields need no write and
// stay blank rather than turning into 0.
void copyFields(const db::Table& source, db::Table& target, const std::vector<FieldCopy>& plan) {
    for (const auto& c : plan) {
        if (source.isBlank(c.from)) continue;
        switch (c.as) {
        case CopyAs::Text: target.setText(c.to, source.getText(c.from)); break;
        case CopyAs::Date: target.setDate(c.name, source.getDate(c.from)); break;
        case CopyAs::Whole: target.setInt(c.name, std::llround(source.getNumber(c.from))); break;
        case CopyAs::Number: target.setNumber(c.name, source.getNumber(c.from)); break;
        }
    }
}

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

std::vector<uint32_t> chosenRecords(db::Table& source, const ExportPair& pair, ExportChoice choice) {
    const int modified = source.fieldIndex("MODIFIED");
    const int exported = source.fieldIndex("EXPORTED");
    const int orderBy = pair.newestFirstBy ? source.fieldIndex(pair.newestFirstBy) : -1;
    if (modified < 0 || exported < 0 || (pair.newestFirstBy && orderBy < 0))
        throw db::Error(db::ErrorKind::FieldNotFound, source.name() + " lacks the export stamps");
    std::vector<std::pair<db::Date, uint32_t>> chosen;
    for (source.first(); !source.eof(); source.next()) {
        if (!chosenForExport(source.getDate(modified), source.getDate(exported), choice)) continue;
        chosen.emplace_back(orderBy >= 0 ? source.getDate(orderBy) : db::Date(), source.recno());
    }
    if (orderBy >= 0)
        std::stable_sort(chosen.begin(), chosen.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<uint32_t> recnos;
    recnos.reserve(chosen.size());
    for (const auto& c : chosen) recnos.push_back(c.second);
    return recnos;
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
        for (const uint32_t recno : chosenRecords(*source, pair, choice)) {
            moveTo(*source, recno);
            // The source record is locked first, so a copy is only ever made
            // of a record that will also be marked; a copy the user gave up
            // on leaves its record unmarked for the next run.
            if (!attempt([&] { source->edit(); }, [&] { source->cancel(); }, hooks)) {
                ++counts.skipped;
                continue;
            }
            const bool copied = attempt(
                [&] {
                    target->append();
                    copyFields(*source, *target, plan);
                    target->post();
                },
                [&] { target->cancel(); }, hooks);
            if (!copied) {
                source->cancel();
                ++counts.skipped;
                continue;
            }
            source->setDate("EXPORTED", today);
            source->post();
            ++(counts.*pair.counter);
        }
        source->close();
        target->close();
    }
    return counts;
}

}  // namespace vv::data
