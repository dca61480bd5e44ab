#include "SonadexView.h"

#include "language/LanguageText.h"
#include "platform/QtText.h"
#include "print/PrintSettingsDlg.h"
#include "view/Resource.h"

#include <QEvent>
#include <QHeaderView>
#include <QMainWindow>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTreeWidget>
#include <algorithm>

namespace {

QTreeWidget* MakeFolderTree(QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName("FolderTree");
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setIconSize(QSize(16, 16));
    return tree;
}

QTreeWidget* MakeFileList(QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName("FileList");
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false); // the fill puts the rows in order itself
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->header()->setSectionsClickable(false);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    list->setIconSize(QSize(16, 16));
    return list;
}

} // namespace

CSonadexView::CSonadexView(QWidget* parent)
    : QWidget(parent), m_treeFolders(MakeFolderTree(this)), m_listFiles(MakeFileList(this))
{
    setObjectName("SonadexView");
    // Owned by the view, so it shows over the main window, centred, with its icon.
    m_pPrintSettings = std::make_unique<CPrintSettingsDlg>(m_tblLanguage, this);

    // Selection, not the current item: Qt makes the first node current when
    // the tree gains the focus, and that must not change the folder.
    connect(m_treeFolders, &QTreeWidget::itemSelectionChanged, this, [this] { OnFolderSelChanged(); });
    // The tree reads one level ahead whenever a node opens or closes.
    connect(m_treeFolders, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { OnFolderExpanding(node); });
    connect(m_treeFolders, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { OnFolderCollapsed(node); });
    connect(m_listFiles, &QWidget::customContextMenuRequested, this, [this] { OnListRightClick(); });
    // A double click counts anywhere in the list, also below the last row.
    m_listFiles->viewport()->installEventFilter(this);
}

CSonadexView::~CSonadexView()
{
    OnDestroy();
    m_listFiles->viewport()->removeEventFilter(this);
}

std::string CSonadexView::GetText(int number)
{
    return ::GetText(m_tblLanguage, number);
}

bool CSonadexView::LoadLanguage()
{
    return ::LoadLanguage(m_tblLanguage, m_strLangPath, m_strLanguage);
}

void CSonadexView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize(event->size().width(), event->size().height());
}

void CSonadexView::OnSize(int cx, int cy)
{
    if (m_bLayoutFrozen) return;
    // A 10-pixel margin outside; tree and list touch with no gap.
    const int width = std::max(0, cx - 20);
    const int height = std::max(0, cy - 20);
    m_treeFolders->setGeometry(10, 10, width / 4, height);
    m_listFiles->setGeometry(10 + width / 4, 10, width - width / 4, height);
    SizeFileListColumns();
}

bool CSonadexView::eventFilter(QObject* watched, QEvent* event)
{
    // The client area can settle after the view's own resize (a window shown
    // maximized delivers its children's sizes later), so the columns follow it.
    if (watched == m_listFiles->viewport() && event->type() == QEvent::Resize && !m_bLayoutFrozen)
        SizeFileListColumns();
    if (watched == m_listFiles->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OnListDoubleClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CSonadexView::ShowStatusText(const std::string& text)
{
    if (auto* frame = qobject_cast<QMainWindow*>(window())) frame->statusBar()->showMessage(platform::ToQString(text));
}
