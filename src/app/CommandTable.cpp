#include "CommandTable.h"

#include "view/Resource.h"

#include <Qt>
#include <algorithm>
#include <array>

namespace {

using namespace res;

constexpr int kCtrl = Qt::ControlModifier;

const std::array<CommandInfo, 17> kCommands = {{
    {ID_FILE_PLAY, "Ab&spielen\tF4", Qt::Key_F4, "tb-play", "Abspielen", "Spielt die markierte Datei ab"},
    {ID_FILE_SETTINGS, "&Einstellungen\tStrg+O", kCtrl | Qt::Key_O, "tb-settings", "Einstellungen",
     "Ändert Umbenennungsmuster, Nachfrage und Sprache"},
    {ID_FILE_RENAME, "&Umbenennen\tF2", Qt::Key_F2, "tb-rename", "Umbenennen",
     "Benennt die ausgewählten Dateien nach ihren Tags um"},
    {ID_FILE_RENAME_ALL, "&Alle umbenennen\tF3", Qt::Key_F3, "tb-rename-all", "Alle umbenennen",
     "Benennt alle Dateien des Ordners nach ihren Tags um"},
    {ID_FILE_REMOVE_ID3, "&ID3 enternen\tCtrl+R", kCtrl | Qt::Key_R, "tb-remove-id3", "ID3 entfernen",
     "Entfernt den ID3-Tag der ausgewählten Dateien"},
    {ID_FILE_DELETE, "&Löschen\tEntf", Qt::Key_Delete, "tb-delete", "Löschen", "Löscht die ausgewählten Dateien"},
    {ID_FILE_MULTITAG, "&MultiTag\tStrg+S", kCtrl | Qt::Key_S, "tb-multitag", "MultiTag",
     "Schreibt gewählte Felder in alle Dateien des Ordners"},
    {ID_FILE_PRINT, "&Drucken...\tStrg+P", kCtrl | Qt::Key_P, "tb-print", "Drucken",
     "Druckt die Dateiliste des aktuellen Ordners"},
    {ID_FILE_PRINT_PREVIEW, "Sei&tenansicht", 0, nullptr, "Seitenansicht",
     "Zeigt die Dateiliste so, wie sie gedruckt wird"},
    {ID_FILE_PRINT_SETUP, "Drucker&einrichtung...", 0, nullptr, "Druckereinrichtung",
     "Ändert den Drucker und die Druckoptionen"},
    {ID_APP_EXIT, "Beenden", 0, nullptr, "Beenden", "Beendet Sonadex Pro"},
    {ID_VIEW_REFRESH, "&Aktualisieren\tF5", Qt::Key_F5, "tb-refresh", "Aktualisieren",
     "Liest Laufwerke, Ordner und Dateien neu ein"},
    {ID_VIEW_SELECT_ALL, "A&lle auswählen\tStrg+A", kCtrl | Qt::Key_A, nullptr, "Alle auswählen",
     "Wählt alle Dateien der Liste aus"},
    {ID_VIEW_TOOLBAR, "&Symbolleiste", 0, nullptr, "Symbolleiste", "Blendet die Symbolleiste ein oder aus"},
    {ID_VIEW_STATUS_BAR, "S&tatusleiste", 0, nullptr, "Statusleiste", "Blendet die Statusleiste ein oder aus"},
    {ID_APP_ABOUT, "&Info über Sonadex Pro", 0, "tb-about", "Info",
     "Zeigt Programminformationen und Versionsnummer an"},
    {ID_FILE_PRINT_DIRECT, "", 0, nullptr, "Drucken", "Druckt die Dateiliste ohne Druckdialog"},
}};

} // namespace

std::span<const CommandInfo> Commands()
{
    return kCommands;
}

const CommandInfo* FindCommandInfo(int id)
{
    const auto found =
        std::find_if(kCommands.begin(), kCommands.end(), [id](const CommandInfo& c) { return c.id == id; });
    return found == kCommands.end() ? nullptr : &*found;
}
