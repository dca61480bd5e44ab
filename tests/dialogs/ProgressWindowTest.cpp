// The progress dialog of long work, offscreen: when it appears, what it
// shows, and that its Cancel stops the work.
#include "dialogs/ProgressWindow.h"

#include "GuiTestSupport.h"
#include "ProgressCancel.h"
#include "TempMachine.h"
#include "table/TableFile.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace {

using namespace std::chrono_literals;
using dialogs::CProgressWindow;

// The timing of a test, back to the program's own afterwards.
class TimingScope {
public:
    explicit TimingScope(const dialogs::ProgressTiming& timing) { CProgressWindow::SetTiming(timing); }
    ~TimingScope() { CProgressWindow::SetTiming({}); }
};

QProgressDialog* ProgressDialog()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "progressDialog") return qobject_cast<QProgressDialog*>(window);
    return nullptr;
}

class ProgressWindowTest : public ::testing::Test {
protected:
    void Load(CTableFile& table, const std::map<int, std::string>& texts)
    {
        const std::string path = tm.Sys("lang" + std::to_string(++m_files) + ".qzd");
        guitest::MakeLanguageFile(path, texts);
        ASSERT_TRUE(table.Load(path));
    }
    void Load(const std::map<int, std::string>& texts) { Load(language, texts); }

    TempMachine tm;
    CTableFile language;

private:
    int m_files = 0;
};

// At once when the timing says so: the counts and the folder in the
// language's words (built-in English where it has none), the user's own
// pointer, and a Cancel that stops the next step.
TEST_F(ProgressWindowTest, ShowsCountsAndFolderAndItsCancelStopsTheWork)
{
    const struct {
        const char* what;
        std::map<int, std::string> texts;
        QString label, cancel;
    } cases[] = {
        {"German", {{91, "Abbrechen"}, {170, "%1 von %2 Dateien"}}, "3 von 10 Dateien\nC:\\Musik\\Alben", "Abbrechen"},
        {"texts missing", {{90, "OK"}}, "3 of 10 files\nC:\\Musik\\Alben", "Cancel"},
    };
    const TimingScope timing({0ms, 0ms});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CTableFile table;
        Load(table, c.texts);
        CProgressWindow progress(nullptr, table);
        EXPECT_TRUE(progress.Step({3, 10, "C:\\Musik\\Alben"}));
        QProgressDialog* dialog = ProgressDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(dialog->labelText(), c.label);
        EXPECT_EQ(dialog->value(), 3);
        EXPECT_EQ(dialog->maximum(), 10);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the pointer must reach Cancel";
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text().remove('&'), c.cancel);

        EXPECT_TRUE(progress.Step({4, 12, "C:\\Musik\\Alben"}));
        cancel->click();
        EXPECT_FALSE(progress.Step({5, 12, "C:\\Musik\\Alben"}));
        EXPECT_TRUE(progress.Cancelled());
    }
}

// Work shorter than the moment shows no dialog, only the wait cursor, which
// goes with the work.
TEST_F(ProgressWindowTest, BeforeTheMomentOnlyTheWaitCursorShows)
{
    Load({{91, "Abbrechen"}});
    const TimingScope timing({std::chrono::hours(1), 0ms});
    {
        CProgressWindow progress(nullptr, language);
        for (std::size_t done = 0; done < 50; ++done)
            EXPECT_TRUE(progress.Step({done, 50, "C:\\Musik"}));
        ASSERT_NE(ProgressDialog(), nullptr);
        EXPECT_FALSE(ProgressDialog()->isVisible());
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(ProgressDialog(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A deep folder is cut in the middle: its drive and its own name stay in sight.
TEST_F(ProgressWindowTest, ADeepFolderIsCutInTheMiddle)
{
    Load({{170, "%1 von %2 Dateien"}});
    const TimingScope timing({0ms, 0ms});
    std::string folder = "C:";
    for (int i = 0; i < 40; ++i)
        folder += "\\Ordner" + std::to_string(i);
    folder += "\\Ende";
    CProgressWindow progress(nullptr, language);
    progress.Step({1, 2, folder});
    ASSERT_NE(ProgressDialog(), nullptr);
    const QStringList lines = ProgressDialog()->labelText().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "1 von 2 Dateien");
    EXPECT_LT(lines[1].size(), static_cast<qsizetype>(folder.size()));
    EXPECT_TRUE(lines[1].startsWith("C:\\Ordner0")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith("\\Ende")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QChar(0x2026))) << lines[1].toStdString();
}

// The helper the other tests use presses Cancel at the count asked for.
TEST_F(ProgressWindowTest, CancelPressedAtACountStopsTheNextStep)
{
    Load({});
    const TimingScope timing({0ms, 0ms});
    CProgressWindow progress(nullptr, language);
    const ProgressCancel cancel(4);
    std::size_t done = 0;
    while (done < 100 && progress.Step({done, 100, "C:\\m"}))
        ++done;
    EXPECT_TRUE(cancel.Pressed());
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(cancel.value, 4);
    EXPECT_EQ(cancel.label, "4 of 100 files\nC:\\m");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
