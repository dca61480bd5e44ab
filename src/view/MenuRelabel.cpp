// Putting the language texts on the main menu and the list's headings.
#include "SonadexView.h"

#include "platform/QtText.h"
#include "view/Resource.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>
#include <utility>
#include <vector>

namespace {

// The action of a command anywhere below the menu bar (actions carry their
// command number as data), or null.
QAction* FindCommand(const QList<QAction*>& actions, int id)
{
    for (QAction* action : actions) {
        if (action->menu()) {
            if (QAction* found = FindCommand(action->menu()->actions(), id)) return found;
        } else if (!action->isSeparator() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

void SetTopMenuText(QMenuBar* bar, int position, const std::string& text)
{
    const QList<QAction*> menus = bar->actions();
    if (position < menus.size()) menus[position]->setText(platform::ToQString(text));
}

} // namespace

void CSonadexView::ApplyLanguage()
{
    if (auto* frame = qobject_cast<QMainWindow*>(window())) {
        QMenuBar* bar = frame->menuBar();
        const std::string ctrl = GetText(75);
        const std::vector<std::pair<int, std::string>> labels = {
            {res::ID_FILE_PLAY, GetText(74) + "\tF4"},
            {res::ID_FILE_SETTINGS, GetText(54) + "\t" + ctrl + "+O"},
            {res::ID_FILE_RENAME, GetText(76) + "\tF2"},
            {res::ID_FILE_RENAME_ALL, GetText(77) + "\tF3"},
            {res::ID_FILE_REMOVE_ID3, GetText(78) + "\t" + ctrl + "+R"},
            {res::ID_FILE_DELETE, GetText(79) + "\t" + GetText(80)},
            {res::ID_FILE_MULTITAG, GetText(81) + "\t" + ctrl + "+S"},
            {res::ID_FILE_PRINT, GetText(82) + "\t" + ctrl + "+P"},
            {res::ID_FILE_PRINT_PREVIEW, GetText(83)},
            {res::ID_FILE_PRINT_SETUP, GetText(84)},
            {res::ID_APP_EXIT, GetText(53)},
            {res::ID_VIEW_REFRESH, GetText(86) + "\tF5"},
            {res::ID_VIEW_SELECT_ALL, GetText(87) + "\t" + ctrl + "+A"},
            {res::ID_VIEW_TOOLBAR, GetText(88)},
            {res::ID_VIEW_STATUS_BAR, GetText(89)},
            {res::ID_APP_ABOUT, GetText(4)},
        };
        SetTopMenuText(bar, 0, GetText(63));
        SetTopMenuText(bar, 1, GetText(85));
        for (const auto& [id, text] : labels)
            if (QAction* action = FindCommand(bar->actions(), id)) action->setText(platform::ToQString(text));
    }
    for (int column = 0; column < 8; ++column)
        m_listFiles->headerItem()->setText(column, platform::ToQString(GetText(63 + column)));
}
