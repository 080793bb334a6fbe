// The tracking filter dialog: a corporate number (typed or picked from the
// accounts) and a range of dates. RunTrackingFilter shows it and hands the
// tracking window the filter expression and the sentence for its filter
// line (the rules are buildTrackingFilter's).
#pragma once

#include <optional>

#include <QDialog>

#include "shared/filter_result.h"
#include "tracking/tracking_filter.h"

class QLineEdit;
class QPushButton;
class QToolButton;

namespace vv::tracking {

class TTrackingFilter : public QDialog {
    Q_OBJECT
public:
    explicit TTrackingFilter(QWidget* parent = nullptr);

    QLineEdit* corpNoEdit() const { return corpNo_; }
    QToolButton* corpNoButton() const { return corpNoButton_; }
    QLineEdit* beginDateEdit() const { return begin_; }
    QLineEdit* endDateEdit() const { return end_; }
    QToolButton* beginCalendarButton() const { return beginCalendar_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // What the fields hold; nullopt while a date is only partly typed or
    // impossible.
    std::optional<TrackingFilterEntries> entries() const;

    // The corporate number's button: the account lookup.
    void lookupCorpNo();

    void accept() override;  // OK: refuses a half-typed date

private:
    QLineEdit* addDateEdit(QToolButton*& calendar);
    void pickDate(QLineEdit* edit);

    QLineEdit* corpNo_ = nullptr;
    QToolButton* corpNoButton_ = nullptr;
    QLineEdit* begin_ = nullptr;
    QLineEdit* end_ = nullptr;
    QToolButton* beginCalendar_ = nullptr;
    QToolButton* endCalendar_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Shows the dialog. OK: the expression (empty for no filter) and the new
// description. Cancel or closing: the expression "Cancel" and `description`
// as it was.
shared::FilterResult RunTrackingFilter(const QString& description, QWidget* parent = nullptr);

}  // namespace vv::tracking
