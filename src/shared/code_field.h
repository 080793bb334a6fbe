// A code field: an edit bound to a field of the main record, a small button
// at its right end that opens the code lookup, and the description label
// beside it. Leaving the edit runs the exit check (CodeCheck): a known code
// shows its description, an unknown one is cleared with a beep, its
// not-found text goes into the label, the focus goes back and the rejection
// is shown as an error.
#pragma once

#include <functional>
#include <string>

#include <QWidget>

#include "shared/code_check.h"
#include "shared/lookup_session.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace vv::shared {

class FieldBinder;

struct CodeFieldSetup {
    std::string field;       // of the main table
    bool upperCase = true;   // typed text forced to upper case
    LookupRequest lookup;    // what the button shows
    // When set, makes the lookup's filter at each click (the contacts of the
    // record's file code, say).
    std::function<std::string()> lookupFilter;
    CodeFieldTexts texts;    // not-found label text, rejection message
    CodeCheck::LookUp lookUp;  // the exact key search in the code table; null: no exit check
    // When set and false, an unknown code is let stand (the table states the
    // window's rules exempt).
    std::function<bool()> rejectApplies;
};

class CodeField : public QWidget {
    Q_OBJECT
public:
    // Binds the edit through `binder`. `description` may be null.
    CodeField(FieldBinder& binder, CodeFieldSetup setup, QLabel* description, QWidget* parent = nullptr);

    QLineEdit* edit() const { return edit_; }
    QToolButton* button() const { return button_; }
    QLabel* description() const { return description_; }
    const CodeFieldSetup& setup() const { return setup_; }

    // The exit check, with its effects; the rejection error is shown after
    // the current event is done. Runs by itself when the focus leaves the edit.
    CodeCheckResult runExitCheck();
    // The button: RunLookup, and a value picked goes into the field.
    void lookupClicked();

signals:
    // A code was found (the check may have copied fields into the record).
    void codeFound();
    // The lookup wrote a value into the record.
    void valuePicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FieldBinder& binder_;
    CodeFieldSetup setup_;
    QLineEdit* edit_ = nullptr;
    QToolButton* button_ = nullptr;
    QLabel* description_ = nullptr;
};

}  // namespace vv::shared
