// TTracking, the daily tracking window: a list of SALES.DBF (by date at
// opening) and a details page on which the salesperson enters a day's rooms,
// rate and revenue per corporate account. A record window with a plain
// toolbar (Add, Edit, Delete, Find, Print, Previous, Next) and OK and Cancel
// on the details page. After a new record is saved the next one is
// started at once, so a day's production for many accounts goes in one
// go; only Cancel ends adding. Deleting a record takes its rooms and
// revenue back out of its account's year-to-date figures.
//
// The window is thin: what is written and checked is TrackingEntry's, the
// filter TTrackingFilter's, the report trackingReport's.
#pragma once

#include <functional>
#include <memory>

#include "shared/record_window.h"
#include "shared/report_document.h"
#include "tracking/tracking_entry.h"

class QLabel;
class QMdiArea;
class QPushButton;

namespace vv::shared {
class CodeField;
class DateField;
}  // namespace vv::shared

namespace vv::tracking {

class FlagCheck;
class NumberEdit;
class TierSpin;

class TTracking : public shared::RecordWindow {
    Q_OBJECT
public:
    explicit TTracking(QWidget* parent = nullptr, TrackingClock clock = {});
    ~TTracking() override;

    // --- Handlers
    void addClicked();       // Add
    void editClicked();      // Edit: "Cannot Edit Record...try again?" when refused
    void deleteClicked();    // Delete, with the account's correction
    void findClicked();      // Find: the tracking filter
    void printClicked();     // Print: the tracking filter, then the report
    void okClicked();        // OK: store; a new record is followed by the next one
    void cancelClicked();    // Cancel
    void previousClicked();  // one record back
    void nextClicked();      // one record forward

    // How Print shows its report: the preview unless replaced (tests).
    using ReportShower = std::function<void(const shared::Report&, QWidget* parent)>;
    void setReportShower(ReportShower shower) { showReport_ = std::move(shower); }

    // --- Parts
    QAction* addAction() const { return add_; }
    QAction* editAction() const { return edit_; }
    QAction* deleteAction() const { return delete_; }
    QAction* findAction() const { return find_; }
    QAction* printAction() const { return print_; }
    QAction* previousAction() const { return previous_; }
    QAction* nextAction() const { return next_; }
    shared::DateField* dateField() const { return date_; }
    shared::CodeField* corpNoField() const { return corpNo_; }
    shared::CodeField* segmentField() const { return segment_; }
    shared::CodeField* salesIdField() const { return salesId_; }
    shared::CodeField* rateCodeField() const { return rateCode_; }
    NumberEdit* roomsEdit() const { return rooms_; }
    NumberEdit* rateEdit() const { return rate_; }
    TierSpin* rateTierSpin() const { return rateTier_; }
    FlagCheck* extendedStayCheck() const { return extStay_; }
    QLabel* accountLabel() const { return accountLabel_; }         // blue: the account's name
    QLabel* segmentWarningLabel() const { return segmentWarning_; }  // red: the account's own segment
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    TrackingEntry* entryRules() const { return entry_.get(); }

protected:
    void openTables() override;
    void writeInitialValues(shared::EntryAction action) override;
    QWidget* firstEntryField() const override;
    void enableControls(bool enabled) override;
    std::vector<shared::RequiredCheck> requiredChecks() override;
    void writeStamps(int entryKind) override;
    void storeDependents(int entryKind) override;
    void onCurrentRecordChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildDetails();
    void corpNoLeft();
    void segmentLeft(QWidget* from);
    void loadOwnControls();
    void tellLater(const QString& text);
    shared::FilterResult runFilter();

    TrackingClock clock_;
    std::unique_ptr<TrackingEntry> entry_;
    bool continuing_ = false;  // the next new record after a save
    ReportShower showReport_;

    QAction* add_ = nullptr;
    QAction* edit_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* find_ = nullptr;
    QAction* print_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    shared::DateField* date_ = nullptr;
    shared::CodeField* corpNo_ = nullptr;
    shared::CodeField* segment_ = nullptr;
    shared::CodeField* salesId_ = nullptr;
    shared::CodeField* rateCode_ = nullptr;
    NumberEdit* rooms_ = nullptr;
    NumberEdit* rate_ = nullptr;
    TierSpin* rateTier_ = nullptr;
    FlagCheck* extStay_ = nullptr;
    QLabel* accountLabel_ = nullptr;
    QLabel* segmentWarning_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// "Daily Tracking" > "Add/Edit": a new tracking window in the MDI area.
void OpenTracking(QMdiArea& area);

}  // namespace vv::tracking
