#include "print/ListingPrinter.h"

#include "PrintTestSupport.h"
#include "TempMachine.h"
#include "print/ListingPdf.h"
#include "table/TableFile.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <regex>

using printtest::Fields;
using printtest::PdfContent;

namespace {

std::string Song(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "song%03d.mp3", i);
    return name;
}

std::string ArtistOf(int i)
{
    return "Artist" + std::to_string(1000 + i);
}

PrintChoice AllColumns()
{
    return PrintChoice{};
}

PrintChoice NoColumns()
{
    PrintChoice choice;
    choice.printFileName = choice.printFileSize = choice.printArtist = choice.printTitle = false;
    choice.printAlbum = choice.printYear = choice.printGenre = choice.printComment = false;
    return choice;
}

std::string Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[64];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
    return date;
}

class ListingPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!printtest::PopplerAvailable())
            FAIL() << "poppler-utils (pdftotext, pdfinfo, pdftoppm) missing: scripts/install-deps.sh installs them";
        printtest::CreateLanguage(language, machine.Sys("lang\\English.qzd"));
        machine.MakeDir("Musik");
    }

    std::string Pdf() const { return machine.Host("listing.pdf"); }

    void AddSongs(const std::string& folder, int count) const
    {
        for (int i = 0; i < count; ++i)
            machine.WriteFile(folder + "/" + Song(i), printtest::Mp3(printtest::Tag(ArtistOf(i), "T")));
    }

    int Print(const std::string& folder, const PrintChoice& choice, const std::string& pageSize = "A4")
    {
        return PrintListingToPdf(machine.Sys(folder), choice, Pdf(), pageSize, language);
    }

    PdfContent Read() const
    {
        std::optional<PdfContent> content = printtest::ReadPdf(Pdf());
        EXPECT_TRUE(content) << "cannot read " << Pdf();
        return content.value_or(PdfContent{});
    }

    int LinesPerPage(const std::string& pageSize)
    {
        QPrinter printer(QPrinter::HighResolution);
        EXPECT_TRUE(ConfigurePdfPrinter(printer, Pdf(), pageSize));
        CListingPrinter listing(machine.Sys("Musik"), language);
        listing.Paginate(printer);
        return listing.GetLinesPerPage();
    }

    TempMachine machine;
    CTableFile language;
};

TEST_F(ListingPrinterTest, AFullPageFitsOnOnePageAndOneRowMoreStartsASecond)
{
    const int lines = LinesPerPage("A6");
    ASSERT_GE(lines, 5) << "A6 should hold several rows";
    for (const int rows : {lines, lines + 1}) {
        SCOPED_TRACE(rows);
        const std::string folder = "Musik/n" + std::to_string(rows);
        AddSongs(folder, rows);
        const int expectedPages = rows > lines ? 2 : 1;
        EXPECT_EQ(Print(folder, AllColumns(), "A6"), expectedPages);

        const PdfContent pdf = Read();
        ASSERT_EQ(pdf.pages, expectedPages);
        ASSERT_EQ(static_cast<int>(pdf.pageTexts.size()), expectedPages);
        EXPECT_EQ(printtest::CountOccurrences(pdf.pageTexts[0], ".mp3"), lines);
        EXPECT_NE(pdf.pageTexts[0].find("Page 1 / " + std::to_string(expectedPages)), std::string::npos);
        if (expectedPages == 2) {
            EXPECT_EQ(printtest::CountOccurrences(pdf.pageTexts[1], ".mp3"), 1);
            EXPECT_NE(pdf.pageTexts[1].find(Song(lines)), std::string::npos);
            EXPECT_NE(pdf.pageTexts[1].find("Page 2 / 2"), std::string::npos);
        }
    }
}

// The rows of a page with the rule: the index of the pixel row that is dark
// across at least this share of the page width, or -1.
int RuleRow(const printtest::GreyImage& image, double share)
{
    for (int y = 0; y < image.height; ++y) {
        const auto begin = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
        const auto dark = std::count_if(begin, begin + image.width, [](unsigned char p) { return p < 200; });
        if (static_cast<double>(dark) >= share * image.width) return y;
    }
    return -1;
}

TEST_F(ListingPrinterTest, AnEmptyFolderPrintsOnePageWithHeaderHeadingsAndRule)
{
    EXPECT_EQ(Print("Musik", AllColumns()), 1);
    const PdfContent pdf = Read();
    ASSERT_EQ(pdf.pages, 1);
    const std::string& page = pdf.pageTexts.at(0);
    for (const char* text :
         {"Sonadex Pro", "Page 1 / 1", "File", "Size", "Artist", "Title", "Album", "Year", "Genre", "Comment"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(page.find(text), std::string::npos);
    }
    EXPECT_NE(page.find(Today()), std::string::npos);

    const std::optional<printtest::GreyImage> image = printtest::RenderPage(Pdf(), 100);
    ASSERT_TRUE(image);
    const int rule = RuleRow(*image, 0.7);
    EXPECT_GT(rule, 0) << "no rule across the page";
    EXPECT_LT(rule, image->height / 5) << "the rule belongs under the headings";
}

TEST_F(ListingPrinterTest, NoColumnAtAllPrintsOnlyHeaderAndRuleForTheTaggedFiles)
{
    const int lines = LinesPerPage("A6");
    AddSongs("Musik", lines + 1);
    machine.WriteFile("Musik/untagged.mp3", printtest::UntaggedMp3(500));
    EXPECT_EQ(Print("Musik", NoColumns(), "A6"), 2);
    const PdfContent pdf = Read();
    ASSERT_EQ(pdf.pages, 2);
    for (const std::string& page : pdf.pageTexts) {
        EXPECT_NE(page.find("Sonadex Pro"), std::string::npos);
        EXPECT_EQ(page.find("Artist"), std::string::npos);
        EXPECT_EQ(page.find(".mp3"), std::string::npos);
    }
}

TEST_F(ListingPrinterTest, PrintingOnlyPageTwoPrintsTheSecondBlockUnderItsLabel)
{
    const int lines = LinesPerPage("A6");
    AddSongs("Musik", 2 * lines + 1);
    QPrinter printer(QPrinter::HighResolution);
    ASSERT_TRUE(ConfigurePdfPrinter(printer, Pdf(), "A6"));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 2);

    CListingPrinter listing(machine.Sys("Musik"), language);
    listing.SetChoice(AllColumns());
    listing.OnBeginPrinting(printer);
    EXPECT_EQ(listing.GetMaxPage(), 3);
    EXPECT_EQ(listing.PrintPages(printer), 1);
    listing.OnEndPrinting();
    EXPECT_TRUE(listing.GetPrintFiles().empty());

    const PdfContent pdf = Read();
    ASSERT_EQ(pdf.pages, 1);
    const std::string& page = pdf.pageTexts.at(0);
    EXPECT_NE(page.find("Page 2 / 3"), std::string::npos);
    EXPECT_NE(page.find(Song(lines)), std::string::npos);
    EXPECT_NE(page.find(Song(2 * lines - 1)), std::string::npos);
    EXPECT_EQ(page.find(Song(lines - 1)), std::string::npos);
    EXPECT_EQ(page.find(Song(2 * lines)), std::string::npos);
    EXPECT_EQ(printtest::CountOccurrences(page, ".mp3"), lines);
}

TEST_F(ListingPrinterTest, CellsShowTagFieldsAndShortenOnlyWhatIsTooWide)
{
    const std::string longTitle = "Abcdefghijklmnopqrstuvwxyzabcd";
    machine.WriteFile("Musik/a.mp3", printtest::Mp3(printtest::Tag("Ann", longTitle, "1999"), 1000));
    machine.WriteFile("Musik/b.mp3", printtest::Mp3(printtest::Tag("Bob", "Hey", "", "", 17), 2000));
    machine.WriteFile("Musik/c.mp3", printtest::UntaggedMp3(777));
    ASSERT_EQ(Print("Musik", AllColumns()), 1);
    const std::string page = Read().pageTexts.at(0);

    EXPECT_EQ(page.find(longTitle), std::string::npos);
    std::smatch shortened;
    ASSERT_TRUE(std::regex_search(page, shortened, std::regex(R"(Abcdef[a-z]*\.\.\.)")));
    EXPECT_TRUE(longTitle.starts_with(shortened.str().substr(0, shortened.length() - 3)));
    for (const char* whole : {"Hey", "Ann", "Bob", "1999", "Rock", "1.00 KB", "2.00 KB", "777 Byte", "c.mp3"}) {
        SCOPED_TRACE(whole);
        EXPECT_NE(page.find(whole), std::string::npos);
    }
    // The untagged row ends after its size: no tag cell follows it.
    std::smatch row;
    ASSERT_TRUE(std::regex_search(page, row, std::regex(R"(c\.mp3[^\n]*)")));
    EXPECT_TRUE(std::regex_match(row.str(), std::regex(R"(c\.mp3\s+777 Byte\s*)"))) << row.str();
}

TEST_F(ListingPrinterTest, UntaggedFilesAppearOnlyWithTheFileNameColumn)
{
    machine.WriteFile("Musik/tagged.mp3", printtest::Mp3(printtest::Tag("Tagged"), 1500));
    machine.WriteFile("Musik/untagged.mp3", printtest::UntaggedMp3(777));
    PrintChoice withoutName;
    withoutName.printFileName = false;
    const struct {
        const char* name;
        PrintChoice choice;
        bool untaggedListed;
    } cases[] = {{"with file name", AllColumns(), true}, {"without file name", withoutName, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Print("Musik", c.choice), 1);
        const std::string page = Read().pageTexts.at(0);
        EXPECT_NE(page.find("Tagged"), std::string::npos);
        EXPECT_EQ(page.find("777 Byte") != std::string::npos, c.untaggedListed);
    }
}

TEST_F(ListingPrinterTest, OnlyLowerCaseMp3ExtensionsAreListed)
{
    for (const char* name : {"a.MP3", "b.Mp3", "c.mp3", "d.mp3x", "e.mP3"})
        machine.WriteFile(std::string("Musik/") + name, printtest::Mp3(printtest::Tag(name)));
    ASSERT_EQ(Print("Musik", AllColumns()), 1);
    const std::string page = Read().pageTexts.at(0);
    EXPECT_EQ(printtest::CountOccurrences(page, "c.mp3"), 2); // file name and artist cells
    for (const char* name : {"a.MP3", "b.Mp3", "d.mp3x", "e.mP3"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(page.find(name), std::string::npos);
    }
}

TEST_F(ListingPrinterTest, SubfoldersAreListedWhereTheWalkMeetsThemWhenChosen)
{
    machine.WriteFile("Musik/a.mp3", printtest::Mp3(printtest::Tag("TopA")));
    machine.WriteFile("Musik/Sub/a.mp3", printtest::Mp3(printtest::Tag("SubA")));
    machine.WriteFile("Musik/z.mp3", printtest::Mp3(printtest::Tag("TopZ")));
    PrintChoice recurse;
    recurse.includeSubfolders = true;

    ASSERT_EQ(Print("Musik", AllColumns()), 1);
    std::string page = Read().pageTexts.at(0);
    EXPECT_EQ(page.find("SubA"), std::string::npos);
    EXPECT_NE(page.find("TopZ"), std::string::npos);

    ASSERT_EQ(Print("Musik", recurse), 1);
    page = Read().pageTexts.at(0);
    const std::size_t topA = page.find("TopA"), subA = page.find("SubA"), topZ = page.find("TopZ");
    ASSERT_NE(subA, std::string::npos);
    EXPECT_LT(topA, subA);
    EXPECT_LT(subA, topZ);
    EXPECT_EQ(printtest::CountOccurrences(page, "a.mp3"), 2); // the same name cell for both folders
}

TEST_F(ListingPrinterTest, HeadingsStandAtTheirColumnsWithThreeTenthsForTheFileName)
{
    ASSERT_EQ(Print("Musik", AllColumns()), 1);
    QPrinter printer(QPrinter::HighResolution);
    ASSERT_TRUE(ConfigurePdfPrinter(printer, Pdf(), "A4"));
    const QRectF printable = printer.pageRect(QPrinter::Point);

    const std::vector<printtest::Word> words = printtest::PdfWords(Pdf(), 1);
    const auto left = [&](const std::string& text) {
        const auto it = std::find_if(words.begin(), words.end(), [&](const auto& w) { return w.text == text; });
        return it == words.end() ? -1.0 : it->xMin;
    };
    const char* headings[] = {"File", "Size", "Artist", "Title", "Album", "Year", "Genre", "Comment"};
    const double origin = left("File");
    ASSERT_GE(origin, 0);
    EXPECT_NEAR(origin, printable.left(), 1.0);
    for (int i = 1; i < 8; ++i) {
        SCOPED_TRACE(headings[i]);
        EXPECT_NEAR(left(headings[i]) - origin, printable.width() * (i + 2) / 10.0, 0.5);
    }
}

TEST_F(ListingPrinterTest, PagesReadTheFilesAgainWhenTheyAreDrawn)
{
    machine.WriteFile("Musik/keep.mp3", printtest::Mp3(printtest::Tag("Before")));
    machine.WriteFile("Musik/gone.mp3", printtest::Mp3(printtest::Tag("GoneArtist"), 3000));
    QPrinter printer(QPrinter::HighResolution);
    ASSERT_TRUE(ConfigurePdfPrinter(printer, Pdf(), "A4"));
    CListingPrinter listing(machine.Sys("Musik"), language);
    listing.OnBeginPrinting(printer);
    ASSERT_EQ(listing.GetPrintFiles().size(), 2u);

    machine.WriteFile("Musik/keep.mp3", printtest::Mp3(printtest::Tag("After")));
    std::remove(machine.Host("Musik/gone.mp3").c_str());
    ASSERT_EQ(listing.PrintPages(printer), 1);

    const std::string page = Read().pageTexts.at(0);
    EXPECT_NE(page.find("After"), std::string::npos);
    EXPECT_EQ(page.find("Before"), std::string::npos);
    // A file gone since collecting keeps its row, with nothing but its name.
    EXPECT_NE(page.find("gone.mp3"), std::string::npos);
    EXPECT_EQ(page.find("GoneArtist"), std::string::npos);
    EXPECT_EQ(page.find("3.00 KB"), std::string::npos);
}

TEST_F(ListingPrinterTest, APageTooSmallForTheHeaderStillPrintsOneRowPerPageAndEmptyNarrowCells)
{
    AddSongs("Musik", 3);
    QPrinter printer(QPrinter::HighResolution);
    ASSERT_TRUE(ConfigurePdfPrinter(printer, Pdf(), "A4"));
    printer.setPageSize(QPageSize(QSizeF(1, 1), QPageSize::Inch, "tiny"));
    printer.setPageMargins(QMarginsF(0.4, 0.4, 0.4, 0.4), QPageLayout::Inch);

    CListingPrinter listing(machine.Sys("Musik"), language);
    listing.OnBeginPrinting(printer);
    EXPECT_EQ(listing.GetLinesPerPage(), 1);
    EXPECT_EQ(listing.GetMaxPage(), 3);
    EXPECT_EQ(listing.PrintPages(printer), 3);

    const PdfContent pdf = Read();
    ASSERT_EQ(pdf.pages, 3);
    for (const std::string& page : pdf.pageTexts) {
        EXPECT_EQ(page.find(".mp3"), std::string::npos);
        EXPECT_EQ(page.find("..."), std::string::npos);
    }
}

} // namespace
