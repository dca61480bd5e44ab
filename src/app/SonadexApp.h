// The application object: makes the document, the main window and its view,
// runs the view's start-up, and handles About and the printer setup.
#pragma once

#include <QObject>
#include <memory>

class CMainFrame;
class CSonadexDoc;

class CSonadexApp : public QObject {
    Q_OBJECT
public:
    CSonadexApp();
    ~CSonadexApp() override;

    // False when the program is to end at once, with ExitCode().
    bool InitInstance();
    int ExitCode() const { return m_exitCode; }
    CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }

    void OnAppAbout();
    void OnFilePrintSetup();

private:
    std::unique_ptr<CSonadexDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    int m_exitCode = 0;
};
