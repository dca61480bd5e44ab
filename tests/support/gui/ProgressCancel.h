// Presses Cancel in the window's progress dialog once it shows a given
// number of files done, and keeps what the dialog showed then. It looks at
// every turn of the event loop, which the work gives at every file when the
// progress window's timing is zero.
#pragma once

#include <QString>
#include <QTimer>

class ProgressCancel {
public:
    explicit ProgressCancel(int stopAfter);
    ProgressCancel(const ProgressCancel&) = delete;
    ProgressCancel& operator=(const ProgressCancel&) = delete;

    bool Pressed() const { return m_pressed; }
    int value = -1; // files done, as the dialog showed them when Cancel was pressed
    QString label;  // and its text then

private:
    void Look();

    const int m_stopAfter;
    bool m_pressed = false;
    QTimer m_timer;
};
