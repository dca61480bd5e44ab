#include "DialogControls.h"

#include "platform/QtText.h"
#include "tag/GenreTable.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace dialogs {

void FillSorted(QComboBox& box, const std::vector<std::string>& items)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items)
        texts.append(platform::ToQString(item));
    // Locale-independent, so the order is the same on every desktop.
    std::stable_sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    box.addItems(texts);
    box.setCurrentIndex(-1);
}

void FillGenreBox(QComboBox& box)
{
    FillSorted(box, std::vector<std::string>(kGenreNames.begin(), kGenreNames.end()));
}

QString FieldObjectName(Field field, const char* suffix)
{
    const std::string_view name = FieldName(field);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())) + QString::fromLatin1(suffix);
}

void FillSortedNames(QComboBox& box, const std::vector<std::string>& names)
{
    std::vector<std::pair<QString, std::string>> items;
    items.reserve(names.size());
    for (const std::string& name : names)
        items.emplace_back(platform::PathToQString(name), name);
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    for (const auto& [text, name] : items)
        box.addItem(text, QByteArray::fromStdString(name));
    box.setCurrentIndex(-1);
}

std::string CurrentName(const QComboBox& box)
{
    return box.currentData().toByteArray().toStdString();
}

int SelectByPrefix(QComboBox& box, const QString& prefix)
{
    int found = -1;
    if (!prefix.isEmpty()) {
        for (int i = 0; i < box.count() && found < 0; ++i)
            if (box.itemText(i).startsWith(prefix, Qt::CaseInsensitive)) found = i;
    }
    box.setCurrentIndex(found);
    return found;
}

void SetDefaultButton(QPushButton* chosen, std::initializer_list<QPushButton*> buttons)
{
    for (QPushButton* button : buttons)
        if (button != chosen) button->setDefault(false);
    chosen->setDefault(true);
}

// Windows measures dialog units by the average width of the letters and the
// height of the dialog's font: x units are quarters, y units eighths of them.
int DluX(const QWidget& widget, int units)
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(widget.font());
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    return units * baseX / 4;
}

int DluY(const QWidget& widget, int units)
{
    return units * QFontMetrics(widget.font()).height() / 8;
}

void PlaceControl(const QWidget& dialog, QWidget& control, int x, int y, int w, int h)
{
    control.setGeometry(DluX(dialog, x), DluY(dialog, y), DluX(dialog, w), DluY(dialog, h));
}

void FixClientSize(QWidget& dialog, int w, int h)
{
    dialog.setFixedSize(DluX(dialog, w), DluY(dialog, h));
}

} // namespace dialogs
