// Everything a record window asks of the user or the desktop besides its own
// controls: the beep, the program's fixed message boxes, the calendar, the
// shell's "open" of a mailto: address. One replaceable object, so tests put
// in a recorder and never block on a modal box.
#pragma once

#include <memory>
#include <optional>

#include <QDate>
#include <QString>

class QUrl;
class QWidget;

namespace vv::shared {

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    virtual void beep();
    // A plain information box with one OK button ("Please Fill In Fields").
    virtual void information(QWidget* parent, const QString& text);
    // "Cannot lock record...try again?": error icon, OK and Cancel; true for OK.
    virtual bool askRetry(QWidget* parent, const QString& text);
    // A question with a warning icon, Yes and No, No the default; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text);
    // A confirmation with OK and Cancel ("Delete record?"); true for OK.
    virtual bool confirm(QWidget* parent, const QString& text);
    // The calendar dialog (sizeable, centred on the screen) starting on
    // `start`; the chosen date, nullopt when cancelled.
    virtual std::optional<QDate> pickDate(QWidget* parent, const QDate& start);
    // Hands `url` to the desktop ("mailto:..." starts the mail program).
    virtual void openUrl(const QUrl& url);
};

// The program's one instance; the plain Qt one until replaced.
UserInteraction& userInteraction();
// Puts `next` in place (null restores the plain one) and returns the previous.
std::unique_ptr<UserInteraction> setUserInteraction(std::unique_ptr<UserInteraction> next);

}  // namespace vv::shared
