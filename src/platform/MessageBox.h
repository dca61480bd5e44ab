// Message boxes with the Windows arguments and results (Qt underneath).
#pragma once

#include <functional>
#include <string>

class QString;
class QWidget;

namespace platform {

enum MessageBoxFlags : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// text and caption are system strings (code page). Returns IDOK, IDCANCEL, IDYES or IDNO.
int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags);
// The same with a text already decoded, for messages that name files: a
// name is host bytes, not code-page text (see PathToQString).
int MessageBox(QWidget* owner, const QString& text, const std::string& caption, unsigned flags);
// A literal is code-page text, as a std::string is.
inline int MessageBox(QWidget* owner, const char* text, const std::string& caption, unsigned flags)
{
    return MessageBox(owner, std::string(text), caption, flags);
}

struct MessageBoxCall {
    std::string text; // as UTF-8 when the box was given a QString
    std::string caption;
    unsigned flags = 0;
};
// Tests answer message boxes by script: the handler sees each call and returns the answer.
void SetMessageBoxHandlerForTest(std::function<int(const MessageBoxCall&)> handler);

} // namespace platform
