#include "app/browse_table_model.h"

#include <QWidget>

#include "db/table.h"
#include "shared/error_box.h"

namespace vv::app {

namespace {

std::vector<shared::GridColumn> allFields(const db::Table& table) {
    std::vector<shared::GridColumn> columns;
    for (const db::FieldDef& f : table.fields()) columns.push_back({f.name, QString::fromStdString(f.name)});
    return columns;
}

}  // namespace

BrowseTableModel::BrowseTableModel(db::Table& table, QWidget* errorParent, QObject* parent)
    : shared::TableModel(table, allFields(table), parent), errorParent_(errorParent) {
    // A memo is edited in the memo box: its cell shows it on one line.
    for (const db::FieldDef& f : table.fields()) editable_.push_back(!f.isMemoLike());
    setRowStyler([](const db::Table& t) {
        shared::RowStyle style;
        if (t.isDeleted()) style.text = Qt::red;
        return style;
    });
}

QVariant BrowseTableModel::data(const QModelIndex& index, int role) const {
    return shared::TableModel::data(index, role == Qt::EditRole ? Qt::DisplayRole : role);
}

bool BrowseTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    const std::string text = value.toString().toStdString();
    const std::string& field = columns().at(static_cast<std::size_t>(index.column())).field;
    bool stored = false;
    shared::runGuarded(errorParent_, [&] {
        if (!goToRow(index.row())) return;
        db::Table& t = table();
        if (t.getText(field) == text) return;
        t.edit();
        try {
            t.setText(field, text);
            t.post();
        } catch (...) {
            if (t.state() != db::Table::State::Browse) t.cancel();
            throw;
        }
        stored = true;
    }, QStringLiteral("Browse File"));
    // Reading the rows again here would pull the model from under the closing editor.
    if (stored) QMetaObject::invokeMethod(this, &BrowseTableModel::recordStored, Qt::QueuedConnection);
    return stored;
}

Qt::ItemFlags BrowseTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = shared::TableModel::flags(index);
    if (!index.isValid()) return f;
    if (editable_.at(static_cast<std::size_t>(index.column()))) f |= Qt::ItemIsEditable;
    return f;
}

}  // namespace vv::app
