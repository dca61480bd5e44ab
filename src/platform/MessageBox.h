// Message boxes with the Windows arguments and results (Qt underneath).
#pragma once

#include <functional>
#include <string>

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

struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned flags = 0;
};
// Tests answer message boxes by script: the handler sees each call and returns the answer.
void SetMessageBoxHandlerForTest(std::function<int(const MessageBoxCall&)> handler);

} // namespace platform
