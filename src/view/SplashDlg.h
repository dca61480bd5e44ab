// The splash window shown while the view starts: the logo and the product name.
#pragma once

#include <QDialog>

class CSplashDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSplashDlg(QWidget* parent);

    // Shows the window centred on the screen.
    void ShowCentred();
};
