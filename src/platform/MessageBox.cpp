#include "MessageBox.h"

#include "Machine.h"
#include "QtText.h"

#include <QMessageBox>

#include <cstdlib>
#include <iostream>
#include <string_view>

namespace platform {

namespace {

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

std::function<int(const MessageBoxCall&)>& TestHandler()
{
    static std::function<int(const MessageBoxCall&)> handler;
    return handler;
}

// The buttons in Windows order; the first is the default, as on Windows.
std::vector<QMessageBox::StandardButton> Buttons(unsigned flags)
{
    switch (flags & kButtonMask) {
    case MB_OKCANCEL:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case MB_YESNOCANCEL:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MB_YESNO:
        return {QMessageBox::Yes, QMessageBox::No};
    default:
        return {QMessageBox::Ok};
    }
}

QMessageBox::Icon Icon(unsigned flags)
{
    switch (flags & kIconMask) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ResultOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

// What closing the box without a button means: Cancel where there is one,
// else the last button (No, or the lone OK).
QMessageBox::StandardButton EscapeButton(const std::vector<QMessageBox::StandardButton>& buttons)
{
    return buttons.back();
}

// SONADEX_MESSAGE_BOX=stderr: no one is there to answer (a script, a test
// of the whole program), so the box goes to standard error and its default
// button is the answer.
bool AnswersOnStderr()
{
    const char* mode = std::getenv("SONADEX_MESSAGE_BOX");
    return mode && std::string_view(mode) == "stderr";
}

} // namespace

int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags)
{
    if (const auto& handler = TestHandler()) return handler(MessageBoxCall{text, caption, flags});
    return MessageBox(owner, ToQString(text), caption, flags);
}

int MessageBox(QWidget* owner, const QString& text, const std::string& caption, unsigned flags)
{
    if (const auto& handler = TestHandler()) return handler(MessageBoxCall{text.toStdString(), caption, flags});
    const std::vector<QMessageBox::StandardButton> buttons = Buttons(flags);
    if (AnswersOnStderr()) {
        std::cerr << ToUtf8(caption) << ": " << text.toStdString() << std::endl;
        return ResultOf(buttons.front());
    }
    QMessageBox box(Icon(flags), ToQString(caption), text, QMessageBox::NoButton, owner);
    for (const QMessageBox::StandardButton button : buttons)
        box.addButton(button);
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(EscapeButton(buttons));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return ResultOf(clicked ? box.standardButton(clicked) : EscapeButton(buttons));
}

void SetMessageBoxHandlerForTest(std::function<int(const MessageBoxCall&)> handler)
{
    TestHandler() = std::move(handler);
}

} // namespace platform
