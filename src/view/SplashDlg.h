// The splash window shown while the view starts: the logo and the product
// name, and below them how far the first reading of the folder has come.
#pragma once

#include <QDialog>

class QLabel;

class CSplashDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSplashDlg(QWidget* parent);

    // Shows the window centred on the screen.
    void ShowCentred();
    // A line under the name; the first one makes room for it.
    void ShowProgress(const QString& text);

private:
    QLabel* m_progress;
};
