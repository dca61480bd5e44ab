#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "app/SonadexApp.h"
#include "platform/Clock.h"
#include "platform/QtText.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "view/SonadexView.h"

#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>

namespace {

constexpr const char* kVelmoraKey = "Software\\Velmora";
constexpr const char* kSettingsKey = "Software\\Velmora\\Sonadex Pro";

std::string Field(const std::string& text, std::size_t width)
{
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    return field;
}

} // namespace

std::string Mp3Bytes(const TagSpec* tag, std::size_t audioBytes)
{
    std::string bytes(audioBytes, '\x55');
    if (tag) {
        bytes += "TAG" + Field(tag->title, 30) + Field(tag->artist, 30) + Field(tag->album, 30) + Field(tag->year, 4) +
                 Field(tag->comment, 30);
        bytes += static_cast<char>(tag->genre);
    }
    return bytes;
}

const std::map<int, std::string>& GermanTexts()
{
    static const std::map<int, std::string> texts = {
        {4, "&Info \xFC"
            "ber Sonadex Pro"},
        {45, "Unterordner einbeziehen"},
        {53, "&Beenden"},
        {54, "Einstellungen"},
        {58, "Schlie\xDF"
             "en"},
        {60, "Dateien bearbeitet."},
        {61, "Die Einstellungen fehlen."},
        {62, "Datei(en) werden gel\xF6scht. Fortfahren?"},
        {63, "Datei"},
        {64, "Gr\xF6\xDF"
             "e"},
        {65, "Interpret"},
        {66, "Titel"},
        {67, "Album"},
        {68, "Jahr"},
        {69, "Genre"},
        {70, "Kommentar"},
        {71, "Dateien"},
        {74, "Ab&spielen"},
        {75, "Strg"},
        {76, "Umbenennen"},
        {80, "Entf"},
        {85, "&Ansicht"},
        {97, "Speichern"},
        {120, "&R\xFC"
              "ckg\xE4ngig"},
    };
    return texts;
}

const std::map<int, std::string>& EnglishTexts()
{
    static const std::map<int, std::string> texts = {
        {4, "&About Sonadex Pro"},
        {45, "Include subfolders"},
        {53, "E&xit"},
        {54, "Settings"},
        {58, "Close"},
        {60, "files processed."},
        {61, "The settings are missing."},
        {62, "file(s) will be deleted. Continue?"},
        {63, "File"},
        {64, "Size"},
        {65, "Artist"},
        {66, "Title"},
        {67, "Album"},
        {68, "Year"},
        {69, "Genre"},
        {70, "Comment"},
        {71, "files"},
        {74, "P&lay"},
        {75, "Ctrl"},
        {76, "Rename"},
        {79, "&Delete"},
        {80, "Del"},
        {85, "&View"},
        {86, "&Refresh"},
        {97, "Save"},
    };
    return texts;
}

ViewHarness::ViewHarness()
{
    platform::SetClockForTest([this] { return clockScript ? clockScript() : (clock += 1000); });
    platform::SetShellHandlerForTest([this](const std::string& target) {
        shellOpened.push_back(target);
        return true;
    });
    machine.MakeDir("lang");
}

ViewHarness::~ViewHarness()
{
    m_app.reset();
    platform::SetShellHandlerForTest({});
    platform::SetClockForTest({});
}

void ViewHarness::WriteLanguage(const std::string& name, const std::map<int, std::string>& texts) const
{
    guitest::MakeLanguageFile(machine.Sys("lang/" + name + ".qzd"), texts, 100);
}

void ViewHarness::WriteHive(const StartSettings& settings) const
{
    platform::CHive hive;
    hive.AddKey(kVelmoraKey);
    hive.Set(kVelmoraKey, "LangPath", machine.Sys("lang"));
    hive.Set(kVelmoraKey, "Language", settings.language);
    if (settings.settingsKey) {
        hive.AddKey(kSettingsKey);
        hive.Set(kSettingsKey, "Rename", settings.rename);
        hive.Set(kSettingsKey, "Prompt", settings.prompt);
        hive.Set(kSettingsKey, "LastPath", settings.lastPath);
    }
    std::ofstream(machine.HiveFile(), std::ios::binary | std::ios::trunc) << hive.Serialize();
}

std::string ViewHarness::HiveValue(const std::string& key, const std::string& value) const
{
    const platform::CHive hive = platform::CHive::LoadFile(machine.HiveFile());
    return hive.Get(key, value).value_or("<missing>");
}

bool ViewHarness::Start(const StartSettings& settings)
{
    WriteLanguage("Deutsch", GermanTexts());
    WriteLanguage("English", EnglishTexts());
    WriteHive(settings);
    m_app = std::make_unique<CSonadexApp>();
    if (!m_app->InitInstance()) return false;
    Frame().activateWindow();
    QApplication::processEvents();
    return true;
}

CMainFrame& ViewHarness::Frame() const
{
    return *m_app->GetMainWnd();
}

CSonadexView& ViewHarness::View() const
{
    return *Frame().GetActiveView();
}

void ViewHarness::Command(int id) const
{
    QAction* action = Frame().CommandAction(id);
    ASSERT_NE(action, nullptr) << id;
    action->trigger();
}

std::string ViewHarness::RowName(const QTreeWidgetItem& row)
{
    return row.data(0, CSonadexView::kNameRole).toByteArray().toStdString();
}

std::vector<std::string> ViewHarness::RowNames() const
{
    std::vector<std::string> names;
    const QTreeWidget* list = View().FileList();
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        names.push_back(RowName(*list->topLevelItem(row)));
    return names;
}

std::vector<std::string> ViewHarness::SelectedRowNames() const
{
    std::vector<std::string> names;
    const QTreeWidget* list = View().FileList();
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        if (list->topLevelItem(row)->isSelected()) names.push_back(RowName(*list->topLevelItem(row)));
    return names;
}

void ViewHarness::SelectRows(const std::vector<std::string>& names) const
{
    QTreeWidget* list = View().FileList();
    list->clearSelection();
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        if (std::find(names.begin(), names.end(), RowName(*item)) == names.end()) continue;
        list->setCurrentItem(item, 0, QItemSelectionModel::Select);
    }
}

std::string ViewHarness::StatusText() const
{
    return platform::FromQString(Frame().statusBar()->currentMessage());
}

void WhenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer(qApp);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ticks, act = std::move(act)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (++*ticks > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog came up";
        }
    });
    timer->start(10);
}

QTreeWidgetItem* ChildNode(QTreeWidgetItem* node, const std::string& name)
{
    for (int i = 0; i < node->childCount(); ++i)
        if (platform::FromQString(node->child(i)->text(0)) == name) return node->child(i);
    return nullptr;
}
