// The application's standard error box: the one place where an error that
// no window handles is put into the user's words. A table engine error gets
// a plain sentence for its kind above the engine's own message (which names
// the table); the details a support person needs (kind, message, where it
// happened, program and engine version, data folder) can be shown and copied.
//
// runGuarded() is how handlers run: an error escaping the handler ends it,
// is shown, and the program goes on; what was stored before stays stored.
#pragma once

#include <exception>
#include <functional>

#include <QString>

class QWidget;

namespace vv::shared {

// What the error box says.
struct ErrorReport {
    QString title;    // window title
    QString text;     // the sentence and the message, for the user
    QString details;  // for copying: kind, message, where, versions
};

// Builds the report for an error caught while doing `where` (a handler or
// window name; may be empty). Knows vv::db::Error and its kinds; any other
// std::exception is reported with its message.
ErrorReport describeError(const std::exception& error, const QString& where);
// For an exception that is not a std::exception.
ErrorReport describeUnknownError(const QString& where);

// Shows the report in a modal message box over `parent` (may be null).
void showError(QWidget* parent, const std::exception& error, const QString& where = {});
// Shows the exception currently being handled; call only inside a catch block.
void showCurrentError(QWidget* parent, const QString& where = {});

// Runs `handler`; an exception escaping it is shown and swallowed. Returns
// false when that happened.
bool runGuarded(QWidget* parent, const std::function<void()>& handler, const QString& where = {});

// How reports reach the user. The default shows the message box; tests put
// in a presenter that records the reports instead. Returns the previous one.
using ErrorPresenter = std::function<void(QWidget* parent, const ErrorReport& report)>;
ErrorPresenter setErrorPresenter(ErrorPresenter presenter);

}  // namespace vv::shared
