// Edit controls bound to fields of a table's current record, as data-aware
// controls: each shows its field, and what the user types goes into the
// record while the record is pending (insert or edit state). While the
// table is browsing typing is refused, so nothing is written behind the
// engine's back. Single-line editors are highlighted while they have the
// focus (a window may leave its date fields plain); memos never are.
//
// Date editors use the picture "MM/DD/yy": a complete, possible date goes
// into the record as it is typed; leaving the field with a partial or
// impossible date beeps and shows the record's date again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QObject>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace vv::db {
class Table;
}

namespace vv::shared {

class FieldBinder : public QObject {
    Q_OBJECT
public:
    explicit FieldBinder(QObject* parent = nullptr);

    void setTable(db::Table* table);
    db::Table* table() const { return table_; }

    // `control` is what enabling switches: the editor itself (null) or the
    // composite it sits in (a code field with its button).
    void bindText(QLineEdit* edit, const std::string& field, bool upperCase = false, QWidget* control = nullptr);
    void bindDate(QLineEdit* edit, const std::string& field, QWidget* control = nullptr, bool highlight = true);
    void bindMemo(QPlainTextEdit* memo, const std::string& field, QWidget* control = nullptr);

    // Every editor (or one) shows its field of the current record.
    void load();
    void load(QWidget* editor);
    // Enables or disables every bound control.
    void setEnabled(bool enabled);

    // The field an editor shows; empty for an editor not bound here.
    std::string fieldOf(const QWidget* editor) const;
    QWidget* editorOf(std::string_view field) const;
    std::vector<QWidget*> editors() const;

signals:
    // The user's typing went into the record.
    void edited(QWidget* editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Kind { Text, UpperText, Date, Memo };
    struct Binding {
        QWidget* editor = nullptr;
        QWidget* control = nullptr;
        std::string field;
        Kind kind = Kind::Text;
    };

    void bind(QWidget* editor, QWidget* control, const std::string& field, Kind kind, bool highlight);
    void applyWidth(const Binding& b);
    Binding* find(const QWidget* editor);
    const Binding* find(const QWidget* editor) const;
    bool pending() const;
    void storeText(Binding& b, const QString& text);
    void storeDate(Binding& b, const QString& text);
    void storeMemo(Binding& b);
    void loadBinding(const Binding& b);

    db::Table* table_ = nullptr;
    std::vector<Binding> bindings_;
    bool loading_ = false;
};

}  // namespace vv::shared
