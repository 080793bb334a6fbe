// The quick call form (TAddCall): one new sales call, pre-filled by its
// opener (the traces window's Complete), entered on a single page with OK
// and Cancel. It applies the sales call entry rules (CallForm::QuickCall)
// and, once the call and its traces are stored, updates the account's last
// call and next trace dates.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "calls/call_entry_rules.h"

class QLabel;
class QLineEdit;
class QMdiArea;
class QPushButton;

namespace vv::shared {
class CodeField;
class DateField;
class FieldBinder;
}  // namespace vv::shared

namespace vv::calls {

// The sixteen texts OpenAddCall takes, in its order.
struct AddCallPrefill {
    std::string fileCode, eventNo, acctName, addr1, addr2, city, state, zip;
    std::string sal, first, last, phone, ext, fax, email, salesId;
};

class TAddCall : public QWidget {
    Q_OBJECT
public:
    explicit TAddCall(QWidget* parent = nullptr);
    ~TAddCall() override;

    // FormShow: opens the tables and starts the new call (asking again while
    // its lock is refused). False when the user gave up or a table failed.
    bool start();
    // Writes the opener's texts into the new call; the focus goes to the call type.
    void prefill(const AddCallPrefill& values);

    void ok();      // BitBtn1Click: store, update the account, close
    void cancel();  // BitBtn2Click: discard and close

    db::Table* call() const { return calls_; }
    shared::CodeField* fileCode() const { return fileCode_; }
    shared::CodeField* callType() const { return callType_; }
    shared::CodeField* traceCode() const { return traceCode_; }
    shared::CodeField* salesId() const { return salesId_; }
    shared::DateField* traceDate() const { return trace_; }
    QLabel* fileCodeLabel() const { return label21_; }
    QWidget* editorOf(const std::string& field) const;
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    db::Table& openTable(const std::string& file, const std::string& tag);
    void build();
    void closeForm();

    std::vector<std::unique_ptr<db::Table>> tables_;
    db::Table* calls_ = nullptr;
    db::Table* traces_ = nullptr;
    db::Table* accounts_ = nullptr;
    db::Table* callTypes_ = nullptr;
    db::Table* traceCodes_ = nullptr;
    db::Table* salespeople_ = nullptr;
    std::unique_ptr<CallCodeRules> rules_;
    shared::FieldBinder* fields_ = nullptr;
    std::vector<QLabel*> descriptions_;

    shared::CodeField* fileCode_ = nullptr;
    shared::CodeField* contact_ = nullptr;
    shared::CodeField* salesId_ = nullptr;
    shared::CodeField* callType_ = nullptr;
    shared::CodeField* traceCode_ = nullptr;
    shared::CodeField* salesId2_ = nullptr;
    shared::DateField* trace_ = nullptr;
    QLabel* label21_ = nullptr;
    QLabel* label19_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Opens the quick call form in `area` (a top-level window when null) with
// a new call pre-filled from `values`. The event number is not used.
TAddCall* OpenAddCall(QMdiArea* area, const AddCallPrefill& values);

}  // namespace vv::calls
