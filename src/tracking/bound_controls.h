// The tracking details' controls that the shared field binder does not
// make: numeric edits with a picture ("####", "###.##"), the rate tier spin
// field (0 to 4) and the Extended Stay check box ("Y" or "N"). Like the
// binder's editors each shows its field of the current record and writes
// what the user changes only while the record is pending (insert or edit);
// while browsing a change is taken back.
#pragma once

#include <string>

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

namespace vv::db {
class Table;
}

namespace vv::tracking {

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    // `digits` before the point, `decimals` after it ("###.##" is 3, 2).
    NumberEdit(std::string field, int digits, int decimals, bool highlight, QWidget* parent = nullptr);

    void setTable(db::Table* table) { table_ = table; }
    void load();
    const std::string& field() const { return field_; }

protected:
    // A click selects the whole number, so typing replaces it.
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void store(const QString& text);

    std::string field_;
    db::Table* table_ = nullptr;
};

class TierSpin : public QSpinBox {
    Q_OBJECT
public:
    TierSpin(std::string field, QWidget* parent = nullptr);

    void setTable(db::Table* table) { table_ = table; }
    void load();

private:
    void store(int value);

    std::string field_;
    db::Table* table_ = nullptr;
    bool loading_ = false;
};

class FlagCheck : public QCheckBox {
    Q_OBJECT
public:
    FlagCheck(const QString& text, std::string field, QWidget* parent = nullptr);

    void setTable(db::Table* table) { table_ = table; }
    void load();

private:
    void store(bool ticked);

    std::string field_;
    db::Table* table_ = nullptr;
    bool loading_ = false;
};

}  // namespace vv::tracking
