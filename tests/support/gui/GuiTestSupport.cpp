#include "GuiTestSupport.h"

#include "table/TableFile.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace guitest {

namespace {

constexpr int kWatchdogMs = 10000;

std::string Padded(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

} // namespace

std::vector<std::string> LanguageRows(const std::map<int, std::string>& texts, std::size_t textWidth)
{
    std::vector<std::string> rows;
    for (const auto& [number, text] : texts)
        rows.push_back(Padded(std::to_string(number), 5) + Padded(text, textWidth));
    return rows;
}

void CreateLanguage(CTableFile& table, const std::string& systemPath, const std::map<int, std::string>& texts,
                    std::size_t textWidth)
{
    std::string width = std::to_string(textWidth);
    if (width.size() < 3) width.insert(0, 3 - width.size(), '0'); // widths are three digits
    table.Create(systemPath, {"ID", "Text"}, {"005", width}, LanguageRows(texts, textWidth));
}

void MakeLanguageFile(const std::string& systemPath, const std::map<int, std::string>& texts, std::size_t textWidth)
{
    CTableFile table;
    CreateLanguage(table, systemPath, texts, textWidth);
    ASSERT_TRUE(table.Close()) << "language file " << systemPath;
}

void ScriptModal(QDialog& dialog, const std::function<void()>& script)
{
    QTimer::singleShot(0, &dialog, script);
    QTimer::singleShot(kWatchdogMs, &dialog, [&dialog] {
        ADD_FAILURE() << "the dialog was left open";
        dialog.done(QDialog::Rejected);
    });
}

MessageBoxRecorder::MessageBoxRecorder()
{
    platform::SetMessageBoxHandlerForTest([this](const platform::MessageBoxCall& call) {
        calls.push_back(call);
        if (answers.empty()) return static_cast<int>(platform::IDOK);
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    platform::SetMessageBoxHandlerForTest([](const platform::MessageBoxCall&) { return platform::IDCANCEL; });
}

} // namespace guitest
