#include "platform/MessageBox.h"

#include "TempMachine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

struct Shown {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Once the box is up, records what it shows and presses one of its buttons
// (or, with NoButton, closes it the way Escape does).
void AnswerNextBox(Shown& shown, QMessageBox::StandardButton press)
{
    QTimer::singleShot(0, [&shown, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown.title = box->windowTitle();
        shown.text = box->text();
        shown.icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            shown.buttons.push_back(box->standardButton(button));
        shown.defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        if (press == QMessageBox::NoButton)
            box->reject();
        else
            box->button(press)->click();
    });
}

} // namespace

TEST(MessageBox, ScriptedHandlerSeesTheCallAndAnswers)
{
    std::vector<MessageBoxCall> calls;
    SetMessageBoxHandlerForTest([&](const MessageBoxCall& call) {
        calls.push_back(call);
        return IDNO;
    });
    EXPECT_EQ(MessageBox(nullptr, "3 Dateien l\xF6schen?", "Sonadex Pro", MB_YESNO | MB_ICONQUESTION), IDNO);
    SetMessageBoxHandlerForTest({});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "3 Dateien l\xF6schen?");
    EXPECT_EQ(calls[0].caption, "Sonadex Pro");
    EXPECT_EQ(calls[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
}

TEST(MessageBox, RealBoxShowsWindowsButtonsAndMapsTheAnswer)
{
    using B = QMessageBox;
    const struct {
        unsigned flags;
        std::vector<B::StandardButton> buttons;
        B::StandardButton press;
        int result;
    } cases[] = {
        {MB_OK, {B::Ok}, B::Ok, IDOK},
        {MB_OK, {B::Ok}, B::NoButton, IDOK},
        {MB_OKCANCEL, {B::Ok, B::Cancel}, B::Ok, IDOK},
        {MB_OKCANCEL, {B::Ok, B::Cancel}, B::NoButton, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, {B::Yes, B::No}, B::Yes, IDYES},
        {MB_YESNO, {B::Yes, B::No}, B::No, IDNO},
        {MB_YESNO, {B::Yes, B::No}, B::NoButton, IDNO},
        {MB_YESNOCANCEL, {B::Yes, B::No, B::Cancel}, B::No, IDNO},
        {MB_YESNOCANCEL, {B::Yes, B::No, B::Cancel}, B::NoButton, IDCANCEL},
    };
    TempMachine machine(1251);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.flags) + " press " + std::to_string(c.press));
        Shown shown;
        AnswerNextBox(shown, c.press);
        EXPECT_EQ(MessageBox(nullptr, "\xC4\xE0?", "Sonadex Pro", c.flags), c.result);
        EXPECT_EQ(shown.title, "Sonadex Pro");
        EXPECT_EQ(shown.text, QString::fromUtf16(u"Да?"));
        std::vector<B::StandardButton> buttons = shown.buttons;
        std::ranges::sort(buttons);
        std::vector<B::StandardButton> expected = c.buttons;
        std::ranges::sort(expected);
        EXPECT_EQ(buttons, expected);
        EXPECT_EQ(shown.defaultButton, c.buttons.front());
    }
}

TEST(MessageBox, IconFollowsTheFlags)
{
    const struct {
        unsigned flags;
        QMessageBox::Icon icon;
    } cases[] = {
        {MB_ICONSTOP, QMessageBox::Critical},
        {MB_ICONQUESTION, QMessageBox::Question},
        {MB_ICONEXCLAMATION, QMessageBox::Warning},
        {MB_ICONINFORMATION, QMessageBox::Information},
        {MB_OK, QMessageBox::NoIcon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        Shown shown;
        AnswerNextBox(shown, QMessageBox::Ok);
        EXPECT_EQ(MessageBox(nullptr, "x", "y", c.flags), IDOK);
        EXPECT_EQ(shown.icon, c.icon);
    }
}
