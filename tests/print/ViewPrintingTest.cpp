#include "print/ViewPrinting.h"

#include "GuiTestSupport.h"
#include "PrintTestSupport.h"
#include "TempMachine.h"
#include "platform/MessageBox.h"
#include "print/ApplicationPrinter.h"
#include "print/ListingPdf.h"
#include "print/ListingPrinter.h"
#include "print/PrintSettingsDlg.h"
#include "table/TableFile.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QImage>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

using printtest::Is;
using printtest::ModalScript;

namespace {

QCheckBox* Box(QWidget* dialog, const char* name)
{
    return dialog->findChild<QCheckBox*>(name);
}
void Press(QWidget* dialog, const char* button)
{
    dialog->findChild<QPushButton*>(button)->click();
}

class ViewPrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!printtest::PopplerAvailable())
            FAIL() << "poppler-utils (pdftotext, pdfinfo, pdftoppm) missing: scripts/install-deps.sh installs them";
        printtest::CreateLanguage(language, machine.Sys("lang\\English.qzd"));
        machine.WriteFile("Musik/one.mp3", printtest::Mp3(printtest::Tag("Someone", "", "", "Remark")));
        ASSERT_TRUE(ConfigurePdfPrinter(ApplicationPrinter(), Pdf(), "A4"));
        ApplicationPrinter().setPrintRange(QPrinter::AllPages);
    }

    std::string Pdf() const { return machine.Host("view.pdf"); }
    bool PdfWritten() const { return std::filesystem::exists(Pdf()); }

    // Runs one print command with the modal dialogs answered by steps.
    void Run(PrintMode mode, std::vector<ModalScript::Step> steps)
    {
        std::filesystem::remove(Pdf());
        ModalScript script(std::move(steps));
        RunViewPrinting(&view, mode, machine.Sys("Musik"), language, settings);
        EXPECT_TRUE(script.Done()) << "a dialog the command should show did not open";
        EXPECT_EQ(script.Unexpected(), 0);
    }

    std::string PrintedPage() const
    {
        const std::optional<printtest::PdfContent> pdf = printtest::ReadPdf(Pdf());
        return pdf && !pdf->pageTexts.empty() ? pdf->pageTexts[0] : std::string();
    }

    TempMachine machine;
    CTableFile language;
    QWidget view;
    CPrintSettingsDlg settings{language};
    guitest::MessageBoxRecorder boxes;
};

TEST_F(ViewPrintingTest, TheChoiceConfirmedWithOkIsTheStartOfTheNextPrintAndAbbrechenPrintsNothing)
{
    Run(PrintMode::Direct, {{Is<CPrintSettingsDlg>, [](QWidget* w) {
                                 EXPECT_TRUE(Box(w, "comment")->isChecked());
                                 Box(w, "comment")->setChecked(false);
                                 Press(w, "ok");
                             }}});
    ASSERT_TRUE(PdfWritten());
    EXPECT_NE(PrintedPage().find("Artist"), std::string::npos);
    EXPECT_EQ(PrintedPage().find("Comment"), std::string::npos);
    EXPECT_EQ(PrintedPage().find("Remark"), std::string::npos);

    Run(PrintMode::Direct, {{Is<CPrintSettingsDlg>, [](QWidget* w) {
                                 EXPECT_FALSE(Box(w, "comment")->isChecked());
                                 Box(w, "comment")->setChecked(true);
                                 Box(w, "artist")->setChecked(false);
                                 Press(w, "cancel");
                             }}});
    EXPECT_FALSE(PdfWritten());

    Run(PrintMode::Direct, {{Is<CPrintSettingsDlg>, [](QWidget* w) {
                                 EXPECT_FALSE(Box(w, "comment")->isChecked());
                                 EXPECT_TRUE(Box(w, "artist")->isChecked());
                                 Press(w, "ok");
                             }}});
    EXPECT_NE(PrintedPage().find("Someone"), std::string::npos);
    EXPECT_EQ(PrintedPage().find("Remark"), std::string::npos);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ViewPrintingTest, PrintShowsThePrintDialogAfterTheSettingsAndStopsWhenEitherIsCancelled)
{
    Run(PrintMode::Print, {{Is<CPrintSettingsDlg>, [](QWidget* w) { Press(w, "ok"); }},
                           {Is<QPrintDialog>, [](QWidget* w) { static_cast<QDialog*>(w)->accept(); }}});
    EXPECT_NE(PrintedPage().find("Someone"), std::string::npos);

    Run(PrintMode::Print, {{Is<CPrintSettingsDlg>, [](QWidget* w) { Press(w, "ok"); }},
                           {Is<QPrintDialog>, [](QWidget* w) { static_cast<QDialog*>(w)->reject(); }}});
    EXPECT_FALSE(PdfWritten());

    Run(PrintMode::Print, {{Is<CPrintSettingsDlg>, [](QWidget* w) { Press(w, "cancel"); }}});
    EXPECT_FALSE(PdfWritten());
}

TEST_F(ViewPrintingTest, DirectPrintTellsTheUserOnceWhenItCannotPrint)
{
    ASSERT_TRUE(QPrinterInfo::defaultPrinter().isNull()) << "the tests' print server must offer no printer";
    const struct {
        const char* why;
        QString outputFile;
        const char* message;
    } cases[] = {
        {"no printer", QString(), "There is no printer."},
        {"unwritable file", QString::fromStdString(machine.Host("no/such/folder/x.pdf")),
         "The printout did not start."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        boxes.calls.clear();
        ApplicationPrinter().setOutputFormat(QPrinter::PdfFormat);
        ApplicationPrinter().setOutputFileName(c.outputFile);
        Run(PrintMode::Direct, {{Is<CPrintSettingsDlg>, [](QWidget* w) { Press(w, "ok"); }}});
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, c.message);
        EXPECT_EQ(boxes.calls[0].caption, "Sonadex Pro");
    }
}

TEST_F(ViewPrintingTest, PreviewShowsEveryPageWhateverRangeTheLastPrintChose)
{
    QPrinter probe(QPrinter::HighResolution);
    ASSERT_TRUE(ConfigurePdfPrinter(probe, Pdf(), "A4"));
    CListingPrinter measure(machine.Sys("Musik"), language);
    measure.Paginate(probe);
    for (int i = 0; i < measure.GetLinesPerPage(); ++i)
        machine.WriteFile("Musik/more" + std::to_string(i) + ".mp3", printtest::Mp3(printtest::Tag("More")));
    ApplicationPrinter().setPrintRange(QPrinter::PageRange);
    ApplicationPrinter().setFromTo(2, 2);

    int previewPages = -1;
    Run(PrintMode::Preview, {{Is<CPrintSettingsDlg>, [](QWidget* w) { Press(w, "ok"); }},
                             {Is<QPrintPreviewDialog>, [&](QWidget* w) {
                                  const auto* preview = w->findChild<QPrintPreviewWidget*>();
                                  previewPages = preview ? preview->pageCount() : -1;
                                  w->close();
                              }}});
    EXPECT_EQ(previewPages, 2);
    EXPECT_FALSE(PdfWritten());
}

// Paints the preview as the screen would, until no paint is pending.
QImage Show(QWidget* pages)
{
    for (int i = 0; i < 5; ++i) {
        pages->grab();
        QCoreApplication::processEvents();
    }
    return pages->grab().toImage();
}

// The preview's "Zoom in" button as the user clicks it, once the pages have
// been on screen; then its pages as shown.
QImage ZoomInAndShow(QWidget* dialog)
{
    QToolButton* zoomIn = nullptr;
    for (QToolButton* button : dialog->findChildren<QToolButton*>())
        if (button->defaultAction() && button->defaultAction()->text() == "Zoom in") zoomIn = button;
    EXPECT_NE(zoomIn, nullptr);
    auto* pages = dialog->findChild<QPrintPreviewWidget*>();
    Show(pages);
    const double fitted = pages->zoomFactor();
    if (zoomIn) zoomIn->click();
    EXPECT_GT(pages->zoomFactor(), fitted);
    // A redraw waits for the paint that shows the change.
    return Show(pages);
}

// Zooming draws the pages again: a tag changed while the preview is open
// shows as it is now, exactly as in a preview opened afresh.
TEST_F(ViewPrintingTest, ZoomingThePreviewReadsTheTagsAgain)
{
    const auto settingsOk = ModalScript::Step{Is<CPrintSettingsDlg>, [](QWidget* w) { Press(w, "ok"); }};
    QImage changed, fresh;
    Run(PrintMode::Preview, {settingsOk, {Is<QPrintPreviewDialog>, [&](QWidget* w) {
                                              machine.WriteFile("Musik/one.mp3",
                                                                printtest::Mp3(printtest::Tag("Anybody", "", "", "Remark")));
                                              changed = ZoomInAndShow(w);
                                              w->close();
                                          }}});
    Run(PrintMode::Preview, {settingsOk, {Is<QPrintPreviewDialog>, [&](QWidget* w) {
                                              fresh = ZoomInAndShow(w);
                                              w->close();
                                          }}});
    ASSERT_FALSE(changed.isNull());
    EXPECT_EQ(changed, fresh) << "the zoomed preview does not show the tag as it is now";
    Run(PrintMode::Direct, {settingsOk});
    EXPECT_NE(PrintedPage().find("Anybody"), std::string::npos);
}

TEST_F(ViewPrintingTest, PrinterSetupWorksOnTheApplicationsPrinter)
{
    const QPrinter* edited = nullptr;
    ModalScript script({{Is<QPageSetupDialog>, [&](QWidget* w) {
                             edited = static_cast<QPageSetupDialog*>(w)->printer();
                             static_cast<QDialog*>(w)->reject();
                         }}});
    RunPrinterSetup(&view);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(edited, &ApplicationPrinter());
}

} // namespace
