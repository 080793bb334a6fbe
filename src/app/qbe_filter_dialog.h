// The Filter Condition dialog of the Browse File window: a row for each
// queryable field with an operator and a value, two options, and saved
// filters kept in a filter file (Save, Load, Delete). Loading a filter
// offers to edit its expression by hand. OK hands back the expression
// (QbeFilter's rules, or the hand-edited text) once the table accepts it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "app/qbe_filter_file.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace vv::app {

// What the dialog holds; the Browse File window keeps it between Filters.
struct QbeState {
    std::vector<QbeCondition> conditions;  // only rows with an entry
    QbeOptions options;
    std::string manualExpression;  // stands instead of the conditions when set

    bool empty() const { return conditions.empty() && manualExpression.empty(); }
};

class QbeFilterDialog : public QDialog {
    Q_OBJECT
public:
    // Throws vv::db::Error when the table refuses an expression.
    using ExpressionCheck = std::function<void(const std::string& expression)>;

    // `table`: the table's name without extension (saved filters belong to
    // it); `fields`: the queryable fields in order; `filterFile`: where
    // filters are saved until the user picks another file.
    QbeFilterDialog(std::string table, db::FieldList fields, const QbeState& state, std::string filterFile,
                    ExpressionCheck check, QWidget* parent = nullptr);

    QbeState state() const;
    void setState(const QbeState& state);
    // After OK: the filter; empty for none.
    const std::string& expression() const { return expression_; }
    const std::string& filterFile() const { return filterFile_; }

    // The buttons.
    void okClicked();
    void clearClicked();
    void saveClicked();
    void loadClicked();
    void deleteClicked();

private:
    struct Row {
        QComboBox* op = nullptr;
        QLineEdit* value = nullptr;
    };

    bool askToClear();
    // The filters of the filter file; nullopt (and the user told) when it is not one.
    std::optional<std::vector<SavedQbeFilter>> readFilters();
    bool writeFilters(const std::vector<SavedQbeFilter>& filters);
    std::optional<std::size_t> chooseSaved(const std::vector<SavedQbeFilter>& filters, const QString& title);
    // The built or hand-edited expression; nullopt (and the user told) when it is not usable.
    std::optional<std::string> checkedExpression(const std::string& text);
    void editByHand(std::optional<std::size_t> savedIndex, std::vector<SavedQbeFilter>& saved);
    void entriesChanged();
    void showManual();

    std::string table_;
    db::FieldList fields_;
    std::string filterFile_;
    ExpressionCheck check_;
    std::vector<Row> rows_;
    QTableWidget* grid_ = nullptr;
    QCheckBox* caseSensitive_ = nullptr;
    QCheckBox* parenthesis_ = nullptr;
    QLabel* manualLabel_ = nullptr;
    std::string manual_;
    std::string expression_;
    bool filling_ = false;
};

}  // namespace vv::app
