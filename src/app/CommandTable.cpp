#include "CommandTable.h"

#include "view/Resource.h"
#include "view/SonadexView.h"

#include <Qt>
#include <algorithm>
#include <array>

namespace {

using namespace res;

constexpr int kCtrl = Qt::ControlModifier;
constexpr CommandInfo::Run kGuarded = CommandInfo::Run::FileErrors;
using View = CSonadexView;

const std::array<CommandInfo, 18> kCommands = {{
    {ID_FILE_PLAY, "Ab&spielen\tF4", Qt::Key_F4, "tb-play", "Abspielen", "Spielt die markierte Datei ab",
     &View::OnPlay},
    {ID_FILE_SETTINGS, "&Einstellungen\tStrg+O", kCtrl | Qt::Key_O, "tb-settings", "Einstellungen",
     "Ändert Umbenennungsmuster, Nachfrage und Sprache", &View::OnSettings, kGuarded},
    {ID_FILE_RENAME, "&Umbenennen\tF2", Qt::Key_F2, "tb-rename", "Umbenennen",
     "Benennt die ausgewählten Dateien nach ihren Tags um", &View::OnRename, kGuarded},
    {ID_FILE_RENAME_ALL, "&Alle umbenennen\tF3", Qt::Key_F3, "tb-rename-all", "Alle umbenennen",
     "Benennt alle Dateien des Ordners nach ihren Tags um", &View::OnRenameAll, kGuarded},
    {ID_FILE_REMOVE_ID3, "&ID3 enternen\tCtrl+R", kCtrl | Qt::Key_R, "tb-remove-id3", "ID3 entfernen",
     "Entfernt den ID3-Tag der ausgewählten Dateien", &View::OnRemoveId3, kGuarded},
    {ID_FILE_DELETE, "&Löschen\tEntf", Qt::Key_Delete, "tb-delete", "Löschen", "Löscht die ausgewählten Dateien",
     &View::OnDelete, kGuarded},
    {ID_FILE_MULTITAG, "&MultiTag\tStrg+S", kCtrl | Qt::Key_S, "tb-multitag", "MultiTag",
     "Schreibt gewählte Felder in alle Dateien des Ordners", &View::OnMultiTag, kGuarded},
    {ID_FILE_UNDO, "&Rückgängig\tStrg+Z", kCtrl | Qt::Key_Z, "tb-undo", "Rückgängig",
     "Nimmt die letzte Änderung an Dateien zurück, auch eine der Kommandozeile", &View::OnUndo, kGuarded},
    {ID_FILE_PRINT, "&Drucken...\tStrg+P", kCtrl | Qt::Key_P, "tb-print", "Drucken",
     "Druckt die Dateiliste des aktuellen Ordners", &View::OnPrint, kGuarded},
    {ID_FILE_PRINT_PREVIEW, "Sei&tenansicht", 0, nullptr, "Seitenansicht",
     "Zeigt die Dateiliste so, wie sie gedruckt wird", &View::OnPrintPreview, kGuarded},
    {ID_FILE_PRINT_SETUP, "Drucker&einrichtung...", 0, nullptr, "Druckereinrichtung",
     "Ändert den Drucker und die Druckoptionen"},
    {ID_APP_EXIT, "Beenden", 0, nullptr, "Beenden", "Beendet Sonadex Pro"},
    {ID_VIEW_REFRESH, "&Aktualisieren\tF5", Qt::Key_F5, "tb-refresh", "Aktualisieren",
     "Liest Laufwerke, Ordner und Dateien neu ein", &View::OnRefresh, kGuarded},
    {ID_VIEW_SELECT_ALL, "A&lle auswählen\tStrg+A", kCtrl | Qt::Key_A, nullptr, "Alle auswählen",
     "Wählt alle Dateien der Liste aus", &View::OnSelectAll},
    {ID_VIEW_TOOLBAR, "&Symbolleiste", 0, nullptr, "Symbolleiste", "Blendet die Symbolleiste ein oder aus"},
    {ID_VIEW_STATUS_BAR, "S&tatusleiste", 0, nullptr, "Statusleiste", "Blendet die Statusleiste ein oder aus"},
    {ID_APP_ABOUT, "&Info über Sonadex Pro", 0, "tb-about", "Info",
     "Zeigt Programminformationen und Versionsnummer an"},
    {ID_FILE_PRINT_DIRECT, "", 0, nullptr, "Drucken", "Druckt die Dateiliste ohne Druckdialog", &View::OnPrintDirect,
     kGuarded},
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

void RunViewCommand(CSonadexView& view, const CommandInfo& command)
{
    if (!command.handler) return;
    if (command.run == CommandInfo::Run::FileErrors)
        view.RunCommand([&view, &command] { (view.*command.handler)(); });
    else
        (view.*command.handler)();
}
