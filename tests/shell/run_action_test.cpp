// The one boundary of window handlers: whatever a handler throws is shown with
// its text, the cursor comes back, and nothing reaches Qt's event loop.

#include "data/engine/db_error.h"
#include "support/modal_driver.h"
#include "shell/ui/qt_prompts.h"
#include "shell/ui/run_action.h"
#include "support/scripted_prompts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace {

TEST(RunAction, EveryKindOfExceptionIsShownWithItsTextAndTheCursorComesBack)
{
    const struct
    {
        const char *what;
        std::function<void()> raise;
        QString shown;
    } cases[] = {
        {"our error", [] { throw kv::Error(QStringLiteral("Table is locked")); }, QStringLiteral("Table is locked")},
        {"standard", [] { throw std::runtime_error("disk on fire"); }, QStringLiteral("disk on fire")},
        {"allocation", [] { throw std::bad_alloc(); }, QString::fromLocal8Bit(std::bad_alloc().what())},
        {"anything", [] { throw 42; }, kv::kUnexpectedErrorText},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompts prompts;
        const bool ran = kv::runAction(prompts, QStringLiteral("Handler"), [&] {
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            c.raise();
        });
        EXPECT_FALSE(ran);
        ASSERT_EQ(prompts.shown().size(), 1);
        EXPECT_EQ(prompts.shown().front().kind, kv::Prompts::Kind::Error);
        EXPECT_EQ(prompts.shown().front().text, c.shown);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST(RunAction, AnEndingApplicationIsNotReportedTwiceAndAQuietHandlerShowsNothing)
{
    ScriptedPrompts prompts;
    EXPECT_FALSE(kv::runAction(prompts, QStringLiteral("Handler"), [] { throw kv::ApplicationEnding(QStringLiteral("gone")); }));
    EXPECT_TRUE(kv::runAction(prompts, QStringLiteral("Handler"), [] {}, kv::ActionCursor::Unchanged));
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST(RunAction, TheErrorBoxIsAPlainMessageBoxWithTheErrorsOwnText)
{
    kv::QtPrompts prompts;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QString title, text;
    kv::ModalDriver::whenShown(
        [&](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            box->accept();
        },
        QStringLiteral("PromptBox"));
    kv::runAction(prompts, QStringLiteral("Handler"), [] { throw std::runtime_error("disk on fire"); });
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(text, QStringLiteral("disk on fire"));
    EXPECT_EQ(title, kv::QtPrompts::caption());
}

// Escape never answers a Yes/No question (it would discard edits or go ahead
// unasked), and Enter never answers Yes to a question that destroys.
TEST(QtPromptsBox, EscapeLeavesAYesNoQuestionOpenAndDestroyingQuestionsDefaultToNo)
{
    using B = kv::Prompts::Buttons;
    using A = kv::Prompts::Answer;
    struct Case
    {
        const char *name;
        bool destroying;
        B buttons;
        bool defaultIsNo;
        A afterEscape; // then Enter
    };
    const Case cases[] = {
        {"save question", false, B::YesNo, false, A::Yes},
        {"removal", true, B::YesNo, true, A::No},
        {"schedule again", true, B::YesNoCancel, true, A::Cancel},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        kv::QtPrompts prompts;
        bool defaultIsNo = !c.defaultIsNo;
        kv::ModalDriver::whenShown(
            [&](QWidget *dialog) {
                auto *box = qobject_cast<QMessageBox *>(dialog);
                ASSERT_NE(box, nullptr);
                defaultIsNo = static_cast<QAbstractButton *>(box->defaultButton()) == box->button(QMessageBox::No);
                QTest::keyClick(box, Qt::Key_Escape);
                if (box->isVisible())
                    QTest::keyClick(box, Qt::Key_Return);
            },
            QStringLiteral("PromptBox"));
        const A a = c.destroying ? prompts.askDefaultNo(kv::Prompts::Kind::Confirmation, QStringLiteral("?"), c.buttons)
                                 : prompts.ask(kv::Prompts::Kind::Confirmation, QStringLiteral("?"), c.buttons);
        EXPECT_EQ(defaultIsNo, c.defaultIsNo);
        EXPECT_EQ(a, c.afterEscape);
    }
}

} // namespace
