// The base of the record windows (sales calls, traces, tracking): a grid
// page and a details page, the main toolbar that gives way to an OK/Cancel
// bar while a record is entered, the lock-retry loop of Add, Edit and Copy,
// the required-field check before storing, description labels cleared on
// Save and Cancel, code and date fields, the filter label, Delete with the
// window's question, and re-sorting by a column title.
//
// A window derives from it, builds its toolbar and details page in its
// constructor (addBarButton, addCodeField, ...), opens its tables in
// openTables() and fills in the hooks its rules need. The rules themselves
// live in plain classes (LockRetry, CodeCheck, RequiredFields, DateEntry,
// SortChoice, filterAction); this class only wires them to the widgets.
//
// Every public handler runs guarded: an error of the table engine ends it,
// is shown in the standard error box, and the window keeps its mode.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "shared/code_field.h"
#include "shared/filter_result.h"
#include "shared/required_check.h"
#include "shared/required_fields.h"
#include "shared/table_model.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QToolBar;
class QVBoxLayout;

namespace vv::db {
class Table;
}

namespace vv::shared {

class DateField;
class FieldBinder;
class RecordGrid;

enum class EntryAction { Add, Copy, Edit };

// What sets one window's frame apart.
struct RecordWindowLayout {
    QString browseTitle;   // page 0's tab: "Browse Calls"
    QString detailsTitle;  // page 1's tab: "Call Details"
    // OK and Cancel on a second toolbar that replaces the main one while a
    // record is entered; false when the window puts its own OK and Cancel
    // buttons on the details page (they call saveEntry and cancelEntry).
    bool entryBar = true;
};

class RecordWindow : public QWidget {
    Q_OBJECT
public:
    ~RecordWindow() override;

    // --- Tables: opened in the data folder (encrypted ones with the table
    // password), owned by the window and closed with it.
    db::Table& openTable(const std::string& fileName);
    db::Table* mainTable() const { return main_; }

    // --- Mode
    bool inEntryMode() const { return entryMode_; }
    // 1 for a new record (Add, Copy), 2 for an existing one (Edit); 0 before any entry.
    int entryKind() const { return entryKind_; }
    EntryAction entryAction() const { return entryAction_; }

    // --- Handlers
    void startEntry(EntryAction action);  // Add, Edit, Copy
    void saveEntry();                     // OK
    void cancelEntry();                   // Cancel
    // Delete: asks `question` (Yes/No, No the default) in browse mode only.
    void deleteCurrent(const QString& question, const QString& caption);
    // Find and Print, after the window's filter dialog.
    void applyFilter(const FilterResult& result);
    const FilterResult& lastFilter() const { return filter_; }
    void showDetails();  // a double click on the grid: page 1, without editing
    void clearDescriptionLabels();

    // --- Parts
    QTabWidget* pages() const { return pages_; }
    QWidget* browsePage() const { return browsePage_; }
    QWidget* detailsPage() const { return detailsPage_; }
    QVBoxLayout* browseLayout() const { return browseLayout_; }  // the grid first; a window may add below it
    RecordGrid* grid() const { return grid_; }                   // null until setMainTable
    QToolBar* mainBar() const { return mainBar_; }
    QToolBar* entryBar() const { return entryBar_; }
    QAction* okAction() const { return ok_; }
    QAction* cancelAction() const { return cancel_; }
    QLabel* filterTextLabel() const { return filterText_; }  // LabelFilterText
    FieldBinder& fields() const { return *fields_; }
    const std::vector<QLabel*>& descriptionLabels() const { return descriptions_; }

    // --- Building
    // A main-bar button running `handler` guarded; its hint is the caption without '&'.
    QAction* addBarButton(const QString& caption, std::function<void()> handler);
    void addBarSeparator();
    // Prior and Next, moving the grid; disabled at the first and the last row.
    void addNavigationButtons();
    // A blue, empty label that Save and Cancel clear.
    QLabel* addDescriptionLabel(QWidget* parent);
    CodeField* addCodeField(CodeFieldSetup setup, QLabel* description, QWidget* parent);
    DateField* addDateField(const std::string& field, QWidget* parent, bool highlight = true);
    QLineEdit* addTextField(const std::string& field, QWidget* parent, bool upperCase = false);
    QPlainTextEdit* addMemoField(const std::string& field, QWidget* parent);

protected:
    explicit RecordWindow(const RecordWindowLayout& layout, QWidget* parent = nullptr);

    // FormShow's table part, run once when the window is first shown: open
    // the tables (openTable) and call setMainTable. An error is shown and
    // leaves the window without data.
    virtual void openTables() = 0;
    void setMainTable(db::Table& table, std::vector<GridColumn> columns);

    // --- Hooks, in the order an entry meets them
    virtual void prepareEntry(EntryAction) {}        // the window's flags (step 2)
    virtual void rememberCopiedFields() {}           // Copy: read what is carried over
    virtual void writeInitialValues(EntryAction) {}  // after Append or Edit, inside the retry loop
    virtual QWidget* firstEntryField() const;        // focused by Add and Edit: the first code field
    virtual void enableControls(bool enabled);       // EnableControls: the bound controls
    virtual std::vector<RequiredCheck> requiredChecks() { return {}; }
    // The usual condition: `field` of the main record is empty (RequiredFields::fieldEmpty).
    RequiredCheck requiredField(const std::string& field, QWidget* focus) const;
    virtual bool okToSave();                         // OkToSave over requiredChecks()
    virtual void writeStamps(int /*entryKind*/) {}   // before Post
    virtual void storeDependents(int /*entryKind*/) {}  // after Post
    virtual void onCurrentRecordChanged() {}         // the grid moved to another record

    void showEvent(QShowEvent* event) override;

private:
    void leaveEntryMode();
    void recordChanged();
    void updateNavigation();

    RecordWindowLayout layout_;
    std::vector<std::unique_ptr<db::Table>> tables_;
    db::Table* main_ = nullptr;
    FieldBinder* fields_ = nullptr;
    std::vector<QLabel*> descriptions_;
    std::vector<CodeField*> codeFields_;
    FilterResult filter_;

    QToolBar* mainBar_ = nullptr;
    QToolBar* entryBar_ = nullptr;
    QAction* ok_ = nullptr;
    QAction* cancel_ = nullptr;
    QAction* prior_ = nullptr;
    QAction* next_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* browsePage_ = nullptr;
    QWidget* detailsPage_ = nullptr;
    QVBoxLayout* browseLayout_ = nullptr;
    RecordGrid* grid_ = nullptr;
    QLabel* filterText_ = nullptr;

    bool shown_ = false;
    bool entryMode_ = false;
    int entryKind_ = 0;
    EntryAction entryAction_ = EntryAction::Add;
};

}  // namespace vv::shared
