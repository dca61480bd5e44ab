#include "PrintTestSupport.h"

#include "GuiTestSupport.h"
#include "table/TableFile.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

namespace printtest {

namespace {

std::string Field(const std::string& text, std::size_t width)
{
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    return field;
}

std::string Quote(const std::string& path)
{
    return "'" + path + "'";
}

std::optional<std::string> RunCommand(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return std::nullopt;
    std::string output;
    std::array<char, 4096> buffer;
    std::size_t got = 0;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
        output.append(buffer.data(), got);
    if (pclose(pipe.release()) != 0) return std::nullopt;
    return output;
}

} // namespace

std::string Mp3(const Fields& f, std::size_t audioBytes)
{
    return std::string(audioBytes, '\x55') + "TAG" + Field(f.title, 30) + Field(f.artist, 30) + Field(f.album, 30) +
           Field(f.year, 4) + Field(f.comment, 30) + std::string(1, static_cast<char>(f.genre));
}

std::string UntaggedMp3(std::size_t bytes)
{
    return std::string(bytes, '\x55');
}

void CreateLanguage(CTableFile& table, const std::string& systemPath)
{
    guitest::CreateLanguage(table, systemPath,
                            {{45, "Include subfolders"},
                             {63, "File"},
                             {64, "Size"},
                             {65, "Artist"},
                             {66, "Title"},
                             {67, "Album"},
                             {68, "Year"},
                             {69, "Genre"},
                             {70, "Comment"},
                             {72, "Page"},
                             {90, "OK"},
                             {91, "Cancel"},
                             {92, "File name"},
                             {93, "File size"},
                             {94, "Print settings"},
                             // Worded unlike the built-in texts, to show where a message comes from.
                             {137, "The printout did not start."},
                             {138, "There is no printer."}});
}

void CreateOtherLanguage(CTableFile& table, const std::string& systemPath)
{
    guitest::CreateLanguage(table, systemPath,
                            {{45, "Sous-dossiers"},
                             {65, "Interprete"},
                             {66, "Titre"},
                             {67, "Album FR"},
                             {68, "Annee"},
                             {69, "Style"},
                             {70, "Remarque"},
                             {90, "Valider"},
                             {91, "Annuler"},
                             {92, "Nom"},
                             {93, "Taille"},
                             {94, "Impression"}});
}

bool PopplerAvailable()
{
    return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1 && "
                       "command -v pdftoppm >/dev/null 2>&1") == 0;
}

std::optional<PdfContent> ReadPdf(const std::string& hostPath)
{
    const std::optional<std::string> info = RunCommand("pdfinfo " + Quote(hostPath) + " 2>/dev/null");
    const std::optional<std::string> text = RunCommand("pdftotext -layout " + Quote(hostPath) + " - 2>/dev/null");
    if (!info || !text) return std::nullopt;
    PdfContent content;
    std::smatch match;
    if (std::regex_search(*info, match, std::regex(R"(Pages:\s+(\d+))"))) content.pages = std::stoi(match[1]);
    if (std::regex_search(*info, match, std::regex(R"(Page size:\s+([^\n]*))"))) content.pageSize = match[1];
    std::string page;
    std::istringstream pages(*text);
    while (std::getline(pages, page, '\f'))
        content.pageTexts.push_back(page);
    // pdftotext ends the last page with a form feed too.
    if (!content.pageTexts.empty() && content.pageTexts.back().find_first_not_of("\n") == std::string::npos &&
        static_cast<int>(content.pageTexts.size()) > content.pages)
        content.pageTexts.pop_back();
    return content;
}

std::vector<Word> PdfWords(const std::string& hostPath, int page)
{
    const std::string p = std::to_string(page);
    const std::optional<std::string> html =
        RunCommand("pdftotext -bbox -f " + p + " -l " + p + " " + Quote(hostPath) + " - 2>/dev/null");
    std::vector<Word> words;
    if (!html) return words;
    const std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(html->begin(), html->end(), word); it != std::sregex_iterator(); ++it)
        words.push_back({(*it)[3], std::stod((*it)[1]), std::stod((*it)[2])});
    return words;
}

std::optional<GreyImage> RenderPage(const std::string& hostPath, int dpi)
{
    const std::optional<std::string> pgm =
        RunCommand("pdftoppm -gray -f 1 -l 1 -r " + std::to_string(dpi) + " " + Quote(hostPath) + " 2>/dev/null");
    if (!pgm) return std::nullopt;
    std::istringstream in(*pgm);
    std::string magic;
    int maxValue = 0;
    GreyImage image;
    in >> magic >> image.width >> image.height >> maxValue;
    in.get(); // the one white-space byte before the pixels
    if (magic != "P5" || maxValue != 255 || image.width <= 0 || image.height <= 0) return std::nullopt;
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    in.read(reinterpret_cast<char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
    if (!in) return std::nullopt;
    return image;
}

int CountOccurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

ModalScript::ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)), m_timer(std::make_unique<QTimer>())
{
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { Poll(); });
    m_timer->start(10);
}

ModalScript::~ModalScript() = default;

void ModalScript::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_lastHandled) return;
    m_lastHandled = modal;
    if (m_next < m_steps.size() && m_steps[m_next].expects(modal)) {
        m_steps[m_next++].act(modal);
        return;
    }
    ++m_unexpected;
    modal->close();
}

} // namespace printtest
