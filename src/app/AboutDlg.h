// The About box: logo, product name and version, and the maker's web address.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebAddress = "https://www.velmora.example/sonadex";

    explicit CAboutDlg(QWidget* parent = nullptr);

private:
    void OnWebPage();
};
