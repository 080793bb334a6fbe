// The trace filter dialog (TTraceFilter): empty boxes for file code, event
// number, last name, trace dates, salesperson, trace code, completion dates
// and status, each typed in capitals; OK builds the results
// (buildTraceFilter), Cancel or the close box leaves the caller's texts.
#pragma once

#include <QDialog>
#include <QString>

#include "shared/filter_result.h"
#include "traces/trace_filter.h"

class QLineEdit;

namespace vv::traces {

class TTraceFilter : public QDialog {
    Q_OBJECT
public:
    explicit TTraceFilter(const QString& caption, QWidget* parent = nullptr);

    // What the boxes hold now (a date box without a usable date is empty).
    TraceFilterEntries entries() const;

    QLineEdit* fileCode() const { return fileCode_; }
    QLineEdit* eventNo() const { return eventNo_; }
    QLineEdit* lastName() const { return lastName_; }
    QLineEdit* beginDate() const { return begin_; }
    QLineEdit* endDate() const { return end_; }
    QLineEdit* salesId() const { return salesId_; }
    QLineEdit* traceCode() const { return traceCode_; }
    QLineEdit* completedBegin() const { return completedBegin_; }
    QLineEdit* completedEnd() const { return completedEnd_; }
    QLineEdit* status() const { return status_; }

private:
    QLineEdit* fileCode_ = nullptr;
    QLineEdit* eventNo_ = nullptr;
    QLineEdit* lastName_ = nullptr;
    QLineEdit* begin_ = nullptr;
    QLineEdit* end_ = nullptr;
    QLineEdit* salesId_ = nullptr;
    QLineEdit* traceCode_ = nullptr;
    QLineEdit* completedBegin_ = nullptr;
    QLineEdit* completedEnd_ = nullptr;
    QLineEdit* status_ = nullptr;
};

// RunTraceFilter: shows the dialog modally when `caption` is "Trace Filter"
// (any other caption is refused as a Cancel). OK: the built results, and the
// unit's filter text and heading lines (traceUnit()) take them. Cancel: the
// expression "Cancel" with the unit's texts unchanged.
shared::FilterResult RunTraceFilter(const QString& caption, QWidget* parent = nullptr);

}  // namespace vv::traces
