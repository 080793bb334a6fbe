// The Browse File window: any table of the data folder, named by the user,
// shown raw in a grid where its records can be read, edited in place,
// added, deleted and undeleted; deleted records are drawn in red and shown
// only on request; a query-by-example filter narrows the rows; a table with
// a field MEMO gets a memo box under the grid.
//
// "Show Deleted" switches the table engine's program-wide setting, so every
// window sees deleted records while it is on; closing this window switches
// it off again.
#pragma once

#include <memory>
#include <string>

#include <QWidget>

#include "app/qbe_filter_dialog.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace vv::db {
class Table;
}

namespace vv::app {

class BrowseTableModel;

class TBrowsefile : public QWidget {
    Q_OBJECT
public:
    explicit TBrowsefile(std::string dataFolder, QWidget* parent = nullptr);
    ~TBrowsefile() override;

    db::Table* table() const { return table_.get(); }
    QTableView* grid() const { return grid_; }

    // The buttons, as the user clicks them.
    void okClicked();           // BitBtn1Click: opens the typed table
    void filterClicked();       // the query-by-example filter
    void deleteClicked();       // "Delete" / "Un-Delete"
    void showDeletedClicked();  // "Show Deleted" / "Hide Deleted"
    void encryptClicked();      // hidden
    void decryptClicked();      // hidden

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openTable();
    void closeTable();
    QWidget* makeNavigator();
    void navigate(const char* action);

    // Puts the grid's current row on the table's record after the table moved.
    void reloadGrid();
    void showCurrent();
    void rowChanged(int row);
    void recordShown();  // the Delete caption and the memo follow the record
    void storeMemo();
    void convertTables(bool encrypt);

    std::string dataFolder_;
    std::unique_ptr<db::Table> table_;
    BrowseTableModel* model_ = nullptr;
    std::string tableName_;  // as typed, upper case, without extension
    int memoField_ = -1;
    QbeState qbe_;
    std::string filterFile_;
    bool showingDeleted_ = false;
    bool syncing_ = false;

    QLineEdit* nameEdit_ = nullptr;
    QTableView* grid_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* showDeletedButton_ = nullptr;
};

// Opens a new Browse File window over `mainWindow` for the data folder.
void openBrowseFileWindow(QWidget* mainWindow, const std::string& dataFolder);

}  // namespace vv::app
