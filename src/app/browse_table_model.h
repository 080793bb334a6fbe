// The Browse File grid's rows: the shared lazy grid model with every cell
// editable in place. An edited cell is written to its record at once (edit,
// set, post); an error (the record locked elsewhere, a value the field
// cannot take) leaves the record as it was and goes to the standard error
// box. Records marked deleted are drawn in red.
#pragma once

#include <vector>

#include "shared/table_model.h"

class QWidget;

namespace vv::app {

class BrowseTableModel : public shared::TableModel {
    Q_OBJECT
public:
    // Every field of `table` is a column, titled with its name.
    BrowseTableModel(db::Table& table, QWidget* errorParent, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A cell was stored; the rows are read again once the editor has closed.
    void recordStored();

private:
    QWidget* errorParent_;
    std::vector<bool> editable_;  // per column
};

}  // namespace vv::app
