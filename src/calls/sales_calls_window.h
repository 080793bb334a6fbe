// The sales calls window (TSalesCalls): the calls in DATEDESC order on the
// browse page, the call's fields on the details page, and the toolbar's
// Add, Edit, Delete, Copy, Find, Print, Clipboard and Letters. The entry
// rules are CallCodeRules, callRequiredConditions and CallStore; this class
// wires them to the record-window frame.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calls/call_entry_rules.h"
#include "calls/call_store.h"
#include "shared/letters_menu.h"
#include "shared/record_window.h"
#include "shared/report_document.h"

class QComboBox;
class QMdiArea;
class QToolButton;

namespace vv::calls {

class TSalesCalls : public shared::RecordWindow {
    Q_OBJECT
public:
    explicit TSalesCalls(QWidget* parent = nullptr);
    ~TSalesCalls() override;

    // --- Toolbar commands
    void addCall() { startEntry(shared::EntryAction::Add); }     // dxBarButton1Click
    void editCall() { startEntry(shared::EntryAction::Edit); }   // dxBarButton2Click
    void copyCall() { startEntry(shared::EntryAction::Copy); }   // dxBarButton9Click
    void deleteCall();   // dxBarButton3Click
    void find();         // dxBarButton4Click
    void print();        // dxBarButton5Click
    void copyContact();  // dxBarButton6Click
    void openLetter(const QString& letter);  // dxBarListItem1Click

    // Print, once the filter is known: asks about the address when a filter
    // is set, then shows the report in the preview.
    void printReport(const shared::FilterResult& filter);

    // The letter documents named in Letters.dbf, in record order.
    const std::vector<QString>& letters() const { return letters_->letters(); }

    // --- Details page, for the handlers and the tests
    shared::CodeField* fileCode() const { return fileCode_; }
    shared::CodeField* contact() const { return contact_; }  // C_LAST with the contact pick
    shared::CodeField* salesId() const { return salesId_; }
    shared::CodeField* callType() const { return callType_; }
    shared::CodeField* traceCode() const { return traceCode_; }
    shared::CodeField* salesId2() const { return salesId2_; }
    shared::CodeField* segment() const { return segment_; }
    shared::CodeField* userCode(int n) const { return userCodes_.at(static_cast<std::size_t>(n - 1)); }
    shared::DateField* callDate() const { return date_; }
    shared::DateField* traceDate() const { return trace_; }
    QLabel* traceDayLabel() const { return label19_; }
    QLineEdit* accountName() const { return acctName_; }
    QLabel* userFieldLabel(int n) const { return userLabels_.at(static_cast<std::size_t>(n - 1)); }
    QWidget* editorOf(const std::string& field) const;

    // The contact pick's second half: copies contact record `recno` into the call.
    void copyContact(uint32_t recno);

    // Reports shown by Print go through here; tests replace it.
    using ReportShower = std::function<void(const shared::Report&, QWidget*)>;
    static ReportShower setReportShower(ReportShower shower);

protected:
    void openTables() override;
    void prepareEntry(shared::EntryAction action) override;
    void rememberCopiedFields() override;
    void writeInitialValues(shared::EntryAction action) override;
    std::vector<shared::RequiredCheck> requiredChecks() override;
    void writeStamps(int entryKind) override;
    void storeDependents(int entryKind) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildDetails();
    shared::CodeField* codeField(const std::string& field, QLabel* description, bool upperCase,
                                 shared::LookupRequest lookup);
    void contactClicked();
    void traceDateLeft();
    void loadLetters();

    db::Table* traces_ = nullptr;
    db::Table* accounts_ = nullptr;
    db::Table* callTypes_ = nullptr;
    db::Table* traceCodes_ = nullptr;
    db::Table* salespeople_ = nullptr;
    std::unique_ptr<CallCodeRules> rules_;
    std::optional<CallStore> store_;
    std::vector<std::pair<std::string, std::string>> copied_;
    std::unique_ptr<shared::LettersMenu> letters_;
    bool printAddress_ = false;  // as the last print that asked was answered

    shared::CodeField* fileCode_ = nullptr;
    shared::CodeField* contact_ = nullptr;
    shared::CodeField* title_ = nullptr;
    shared::CodeField* salesId_ = nullptr;
    shared::CodeField* callType_ = nullptr;
    shared::CodeField* traceCode_ = nullptr;
    shared::CodeField* salesId2_ = nullptr;
    shared::CodeField* segment_ = nullptr;
    std::array<shared::CodeField*, 5> userCodes_{};
    std::array<QLabel*, 5> userLabels_{};
    shared::DateField* date_ = nullptr;
    shared::DateField* trace_ = nullptr;
    QLineEdit* acctName_ = nullptr;
    QComboBox* salutation_ = nullptr;
    QLabel* label19_ = nullptr;
};

// Opens a new sales calls window in `area` with `filter` on its calls (the
// menu passes "File_Code = ''", every call) and shown as the filter text.
TSalesCalls* OpenSalesCalls(QMdiArea& area, const std::string& filter);

}  // namespace vv::calls
