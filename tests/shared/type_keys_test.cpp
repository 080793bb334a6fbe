#include "shared/type_keys.h"

#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace vv::shared {
namespace {

// Remembers the key presses a widget receives.
class PressRecorder : public QObject {
public:
    struct Press {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    std::vector<Press> presses;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            presses.push_back({k->key(), k->modifiers(), k->text()});
        }
        return false;
    }
};

class TypeKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit_.show();
        edit_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&edit_));
        edit_.setFocus();
        ASSERT_EQ(QApplication::focusWidget(), &edit_);
        edit_.installEventFilter(&recorder_);
    }

    QLineEdit edit_;
    PressRecorder recorder_;
};

TEST_F(TypeKeysTest, TypesIntoTheFocusWidgetWithShiftWhereTheKeyboardNeedsIt) {
    TypeKeys(QStringLiteral("aB 1!é"));
    EXPECT_EQ(edit_.text(), QStringLiteral("aB 1!é"));
    ASSERT_EQ(recorder_.presses.size(), 6u);
    EXPECT_EQ(recorder_.presses[0].key, Qt::Key_A);
    EXPECT_EQ(recorder_.presses[0].modifiers, Qt::NoModifier);
    EXPECT_EQ(recorder_.presses[1].key, Qt::Key_B);
    EXPECT_EQ(recorder_.presses[1].modifiers, Qt::ShiftModifier);
    EXPECT_EQ(recorder_.presses[2].key, Qt::Key_Space);
    EXPECT_EQ(recorder_.presses[4].modifiers, Qt::ShiftModifier);  // '!'
}

TEST_F(TypeKeysTest, LowerCaseStaysLowerAndControlCharactersWithoutAKeyAreSkipped) {
    TypeKeys(QStringLiteral("ab") + QChar(0x07) + QStringLiteral("c"));
    EXPECT_EQ(edit_.text(), QStringLiteral("abc"));
    EXPECT_EQ(recorder_.presses.size(), 3u);
}

TEST_F(TypeKeysTest, ReturnIsSentAsTheKey) {
    bool returned = false;
    QObject::connect(&edit_, &QLineEdit::returnPressed, [&] { returned = true; });
    TypeKeys(QStringLiteral("x\r"));
    EXPECT_TRUE(returned);
    EXPECT_EQ(edit_.text(), QStringLiteral("x"));
}

}  // namespace
}  // namespace vv::shared
