// Shared pieces of the printing tests: MP3 fixtures, a language table, PDF
// read-back through poppler's tools, and scripted answers to modal dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CTableFile;
class QTimer;

namespace printtest {

struct Fields {
    std::string title, artist, album, year, comment;
    unsigned char genre = 255;
};
inline Fields Tag(std::string artist, std::string title = {}, std::string year = {}, std::string comment = {},
                  unsigned char genre = 255)
{
    Fields fields;
    fields.artist = std::move(artist);
    fields.title = std::move(title);
    fields.year = std::move(year);
    fields.comment = std::move(comment);
    fields.genre = genre;
    return fields;
}

// audioBytes of filler, then the 128-byte record when tagged.
std::string Mp3(const Fields& fields, std::size_t audioBytes = 1000);
std::string UntaggedMp3(std::size_t bytes);

// The language texts the printout and its dialog use, in English.
void CreateLanguage(CTableFile& table, const std::string& systemPath);
// The same numbers with other texts, as after a language switch.
void CreateOtherLanguage(CTableFile& table, const std::string& systemPath);

// What pdfinfo and pdftotext -layout read from a PDF file.
struct PdfContent {
    int pages = 0;
    std::vector<std::string> pageTexts;
    std::string pageSize; // pdfinfo's "Page size:" value
};
bool PopplerAvailable();
std::optional<PdfContent> ReadPdf(const std::string& hostPath);
// Words of one page with their left edge in points: pdftotext -bbox.
struct Word {
    std::string text;
    double xMin = 0, yMin = 0;
};
std::vector<Word> PdfWords(const std::string& hostPath, int page);
// Page 1 rendered in grey at dpi: one byte per pixel, row after row.
struct GreyImage {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
};
std::optional<GreyImage> RenderPage(const std::string& hostPath, int dpi);

int CountOccurrences(const std::string& text, const std::string& what);

// Answers modal dialogs as they open, in order: each step names the kind of
// widget it expects and acts on it. A modal that no step expects is rejected
// and counted as unexpected.
class ModalScript {
public:
    struct Step {
        std::function<bool(QWidget*)> expects;
        std::function<void(QWidget*)> act;
    };
    explicit ModalScript(std::vector<Step> steps);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    bool Done() const { return m_next == m_steps.size(); }
    int Unexpected() const { return m_unexpected; }

private:
    void Poll();

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    int m_unexpected = 0;
    QPointer<QWidget> m_lastHandled;
    std::unique_ptr<QTimer> m_timer;
};

template <typename T> bool Is(QWidget* widget)
{
    return dynamic_cast<T*>(widget) != nullptr;
}

} // namespace printtest
