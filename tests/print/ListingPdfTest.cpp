#include "print/ListingPdf.h"

#include "PrintTestSupport.h"
#include "TempMachine.h"
#include "table/TableFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class ListingPdfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!printtest::PopplerAvailable())
            FAIL() << "poppler-utils (pdftotext, pdfinfo, pdftoppm) missing: scripts/install-deps.sh installs them";
        printtest::CreateLanguage(language, machine.Sys("lang\\English.qzd"));
        machine.WriteFile("Musik/one.mp3", printtest::Mp3(printtest::Tag("Someone")));
    }

    TempMachine machine;
    CTableFile language;
};

TEST_F(ListingPdfTest, PrintsOnTheNamedPaperSize)
{
    const struct {
        const char* name;
        const char* pdfinfoSize;
    } sizes[] = {{"A4", "(A4)"}, {"letter", "(letter)"}, {"A6", "297 x 420 pts"}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.name);
        const std::string pdf = machine.Host(std::string("out-") + size.name + ".pdf");
        EXPECT_EQ(PrintListingToPdf(machine.Sys("Musik"), PrintChoice{}, pdf, size.name, language), 1);
        const std::optional<printtest::PdfContent> content = printtest::ReadPdf(pdf);
        ASSERT_TRUE(content);
        EXPECT_NE(content->pageSize.find(size.pdfinfoSize), std::string::npos) << content->pageSize;
        EXPECT_NE(content->pageTexts.at(0).find("one.mp3"), std::string::npos);
    }
}

TEST_F(ListingPdfTest, FailsWithoutWritingForAnUnknownSizeOrAnUnwritablePath)
{
    const struct {
        const char* why;
        std::string path;
        const char* size;
    } cases[] = {
        {"unknown size", machine.Host("a.pdf"), "A99"},
        {"empty size", machine.Host("b.pdf"), ""},
        {"missing folder", machine.Host("no/such/folder/c.pdf"), "A4"},
        {"empty path", "", "A4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(PrintListingToPdf(machine.Sys("Musik"), PrintChoice{}, c.path, c.size, language), -1);
        if (!c.path.empty()) {
            EXPECT_FALSE(std::filesystem::exists(c.path));
        }
    }
}

} // namespace
