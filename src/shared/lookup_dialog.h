// The code lookup dialog behind every code field's button: a grid over one
// table of the data folder (with a search box for the account table) from
// which the user picks one row. RunLookup builds it, shows it modally and
// returns one value of the chosen row. The rules are LookupSession's.
#pragma once

#include <memory>
#include <string>

#include <QDialog>

#include "shared/lookup_session.h"

class QLabel;
class QLineEdit;
class QTableView;

namespace vv::shared {

class TableModel;

class TLookup : public QDialog {
    Q_OBJECT
public:
    // Opens the table in `folder` as `request` says; throws vv::db::Error
    // when it cannot.
    TLookup(const std::string& folder, const LookupRequest& request, QWidget* parent = nullptr);
    ~TLookup() override;

    // The value of the current row: see LookupSession::currentValue. Empty
    // when the grid has no row.
    std::string value();

    LookupSession& session() { return *session_; }
    QTableView* grid() const { return grid_; }         // DBGrid1
    QLineEdit* searchBox() const { return search_; }   // GLSearchEdit1
    TableModel* model() const { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void searchChanged(const QString& text);  // GLSearchEdit1Change
    void deleteCurrentRow();                  // Ctrl+Delete in the grid
    void showCurrentRecord();
    void currentRowChanged(int row);

    std::unique_ptr<LookupSession> session_;
    TableModel* model_ = nullptr;
    QLabel* heading_ = nullptr;  // Label1
    QLineEdit* search_ = nullptr;
    QTableView* grid_ = nullptr;
    bool syncing_ = false;  // the grid is being put on the table's record, not moved by the user
};

// Shows the lookup for `request` over the data folder and returns the value
// of the row the user picked (OK, Enter or a double click); empty when the
// user cancelled. A table or field that cannot be shown is reported in the
// standard error box and gives an empty value too.
std::string RunLookup(const LookupRequest& request, QWidget* parent = nullptr);

}  // namespace vv::shared
