// The traces window (TTraces, "Traces/Appointments"): the traces in trace
// date order on the browse page with overdue rows in red, the trace's
// fields on the details page, and the toolbar's Add, Edit, Delete, Copy,
// Complete, Find, Print and Letters. The entry rules are TraceCodeRules,
// traceRequiredFields and writeTraceStamps; Complete is closeTraces and
// reopenTraces; this class wires them to the record-window frame.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "calls/add_call_form.h"
#include "shared/letters_menu.h"
#include "shared/record_window.h"
#include "shared/report_document.h"
#include "traces/trace_rules.h"

class QComboBox;
class QMdiArea;

namespace vv::traces {

class TTraces : public shared::RecordWindow {
    Q_OBJECT
public:
    explicit TTraces(QWidget* parent = nullptr);
    ~TTraces() override;

    // --- Toolbar commands
    void addTrace() { startEntry(shared::EntryAction::Add); }     // dxBarButton1Click
    void editTrace() { startEntry(shared::EntryAction::Edit); }   // dxBarButton2Click
    void copyTrace() { startEntry(shared::EntryAction::Copy); }   // dxBarButton9Click
    void deleteTrace();                                           // dxBarButton3Click
    void complete();                                              // dxBarButton6Click
    void find();                                                  // dxBarButton4Click
    void print();                                                 // dxBarButton5Click
    void openLetter(const QString& letter);                       // dxBarListItem1Click

    // Find and Print once the filter dialog has answered.
    void findWith(const shared::FilterResult& filter);
    void printWith(const shared::FilterResult& filter);

    const std::vector<QString>& letters() const { return letters_->letters(); }

    // --- Details page, for the handlers and the tests
    shared::CodeField* fileCode() const { return fileCode_; }
    shared::CodeField* contact() const { return contact_; }  // C_FIRST with the contact pick
    shared::CodeField* salesId() const { return salesId_; }
    shared::CodeField* traceCode() const { return traceCode_; }
    shared::DateField* traceDate() const { return trace_; }
    QLabel* accountLabel() const { return label21_; }
    QLabel* dayLabel() const { return label12_; }
    QLabel* salespersonLabel() const { return label16_; }
    QWidget* editorOf(const std::string& field) const;

    // The contact pick's second half: copies contact record `recno` into the trace.
    void copyContact(uint32_t recno);
    // The salesperson button's second half: the pick, empty when none was made.
    void salespersonPicked(const std::string& salesId);

    // "Add New Sales Call?" hands over through here; tests replace it.
    using CallOpener = std::function<void(const calls::AddCallPrefill&, QWidget*)>;
    static CallOpener setCallOpener(CallOpener opener);
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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void buildDetails();
    void contactClicked();
    void traceDateLeft();
    void loadLetters();
    // After Complete: the selection gives way to the focused row alone.
    void reselectCurrent();

    db::Table* accounts_ = nullptr;
    db::Table* traceCodes_ = nullptr;
    db::Table* salespeople_ = nullptr;
    std::unique_ptr<TraceCodeRules> rules_;
    std::vector<std::pair<std::string, std::string>> copied_;
    std::unique_ptr<shared::LettersMenu> letters_;

    shared::CodeField* fileCode_ = nullptr;
    shared::CodeField* contact_ = nullptr;
    shared::CodeField* salesId_ = nullptr;
    shared::CodeField* traceCode_ = nullptr;
    shared::DateField* trace_ = nullptr;
    QComboBox* salutation_ = nullptr;
    QLabel* label21_ = nullptr;
    QLabel* label12_ = nullptr;
    QLabel* label16_ = nullptr;
    QLabel* account_ = nullptr;
};

// OpenTraces: a new traces window in `area` on every open trace, in trace
// date order, the filter label naming the salesperson `value` (the menu
// passes an empty one and the mode "SALES_ID").
TTraces* OpenTraces(QMdiArea& area, const std::string& value, const std::string& mode);

}  // namespace vv::traces
