// Putting the language texts on the main menu and the list's headings.
#include "SonadexView.h"

#include "language/FallbackText.h"
#include "language/TextIds.h"
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
        const std::string ctrl = GetText(text::kCtrl);
        const std::vector<std::pair<int, std::string>> labels = {
            {res::ID_FILE_PLAY, GetText(text::kPlay) + "\tF4"},
            {res::ID_FILE_SETTINGS, GetText(text::kSettings) + "\t" + ctrl + "+O"},
            {res::ID_FILE_RENAME, GetText(text::kRename) + "\tF2"},
            {res::ID_FILE_RENAME_ALL, GetText(text::kRenameAll) + "\tF3"},
            {res::ID_FILE_REMOVE_ID3, GetText(text::kRemoveTag) + "\t" + ctrl + "+R"},
            {res::ID_FILE_DELETE, GetText(text::kDelete) + "\t" + GetText(text::kDel)},
            {res::ID_FILE_MULTITAG, GetText(text::kMultiTag) + "\t" + ctrl + "+S"},
            {res::ID_FILE_UNDO, GetTextOrBuiltIn(m_tblLanguage, text::kUndo) + "\t" + ctrl + "+Z"},
            {res::ID_FILE_PRINT, GetText(text::kPrint) + "\t" + ctrl + "+P"},
            {res::ID_FILE_PRINT_PREVIEW, GetText(text::kPrintPreview)},
            {res::ID_FILE_PRINT_SETUP, GetText(text::kPrintSetup)},
            {res::ID_APP_EXIT, GetText(text::kExit)},
            {res::ID_VIEW_REFRESH, GetText(text::kRefresh) + "\tF5"},
            {res::ID_VIEW_SELECT_ALL, GetText(text::kSelectAll) + "\t" + ctrl + "+A"},
            {res::ID_VIEW_TOOLBAR, GetText(text::kToolbar)},
            {res::ID_VIEW_STATUS_BAR, GetText(text::kStatusBar)},
            {res::ID_APP_ABOUT, GetText(text::kAbout)},
        };
        SetTopMenuText(bar, 0, GetText(text::kFile));
        SetTopMenuText(bar, 1, GetText(text::kView));
        for (const auto& [id, label] : labels)
            if (QAction* action = FindCommand(bar->actions(), id)) action->setText(platform::ToQString(label));
    }
    int column = 0;
    for (const int heading : text::kColumnHeadings)
        m_listFiles->headerItem()->setText(column++, platform::ToQString(GetText(heading)));
    // Qt's own dialogs and buttons change with the rest.
    m_qtTranslation.Apply(GetTextOrBuiltIn(m_tblLanguage, text::kQtLocale));
}
