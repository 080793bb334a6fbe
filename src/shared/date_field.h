// A date field of the details page: an edit with the picture "MM/DD/yy"
// bound to a date field of the record, and beside it the calendar button,
// which acts only while a record is being added or edited. The calendar
// starts on the field's date (today when it has none); a confirmed date goes
// into the field and the focus into the edit.
#pragma once

#include <string>

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace vv::shared {

class FieldBinder;

class DateField : public QWidget {
    Q_OBJECT
public:
    // `highlight`: whether the edit turns aqua while it has the focus.
    DateField(FieldBinder& binder, std::string field, QWidget* parent = nullptr, bool highlight = true);

    QLineEdit* edit() const { return edit_; }
    QToolButton* calendarButton() const { return button_; }  // SpeedButton1, SpeedButton2, ...
    const std::string& field() const { return field_; }

    // The calendar button's handler.
    void calendarClicked();

signals:
    void datePicked();

private:
    FieldBinder& binder_;
    std::string field_;
    QLineEdit* edit_ = nullptr;
    QToolButton* button_ = nullptr;
};

}  // namespace vv::shared
