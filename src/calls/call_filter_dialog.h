// The call filter dialog: the entries of CallFilterEntries with lookup
// buttons on the code entries, everything typed in upper case. OK builds
// the results (buildCallFilter); Cancel or the close box leaves the caller's
// filter text and heading lines as they were.
#pragma once

#include <array>

#include <QDialog>

#include "calls/call_filter.h"
#include "shared/filter_result.h"

class QLineEdit;

namespace vv::calls {

class TCallFilter : public QDialog {
    Q_OBJECT
public:
    explicit TCallFilter(QWidget* parent = nullptr);

    // What the entries hold now (a date entry without a usable date is empty).
    CallFilterEntries entries() const;

    QLineEdit* fileCode() const { return fileCode_; }
    QLineEdit* acctName() const { return acctName_; }
    QLineEdit* lastName() const { return lastName_; }
    QLineEdit* beginDate() const { return begin_; }
    QLineEdit* endDate() const { return end_; }
    QLineEdit* salesId() const { return salesId_; }
    QLineEdit* callType() const { return callType_; }
    QLineEdit* addr1() const { return addr1_; }
    QLineEdit* addr2() const { return addr2_; }
    QLineEdit* city() const { return city_; }
    QLineEdit* segment() const { return segment_; }
    QLineEdit* userCode(int n) const { return userCodes_.at(static_cast<std::size_t>(n - 1)); }

    // A typed date: "/" alone is today, month and day without a year take
    // this year; anything else as the date fields read it.
    static db::Date readDate(const QString& typed, db::Date today);

private:
    QLineEdit* fileCode_ = nullptr;
    QLineEdit* acctName_ = nullptr;
    QLineEdit* lastName_ = nullptr;
    QLineEdit* begin_ = nullptr;
    QLineEdit* end_ = nullptr;
    QLineEdit* salesId_ = nullptr;
    QLineEdit* callType_ = nullptr;
    QLineEdit* addr1_ = nullptr;
    QLineEdit* addr2_ = nullptr;
    QLineEdit* city_ = nullptr;
    QLineEdit* segment_ = nullptr;
    std::array<QLineEdit*, 5> userCodes_{};
};

// Shows the dialog modally. OK: the built results, and the unit's filter
// text and heading lines (callUnit()) take them. Cancel: the expression
// "Cancel" with the unit's texts unchanged.
shared::FilterResult RunCallFilter(QWidget* parent = nullptr);

}  // namespace vv::calls
