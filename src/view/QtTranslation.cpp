#include "QtTranslation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

#include <algorithm>

namespace {

// A locale names a file of Qt's translations folder: letters and "_" only,
// so a language file cannot point the program anywhere else.
bool IsLocaleName(const std::string& locale)
{
    const auto allowed = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    return !locale.empty() && std::ranges::all_of(locale, allowed);
}

} // namespace

CQtTranslation::~CQtTranslation()
{
    Remove();
}

void CQtTranslation::Apply(const std::string& locale)
{
    Remove();
    if (!IsLocaleName(locale)) return;
    // Only the locale's own file: QTranslator would fall back to a shorter name.
    const QString file =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_" + QString::fromStdString(locale) + ".qm";
    if (!QFileInfo(file).isFile()) return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file)) return;
    if (!QCoreApplication::installTranslator(translator.get())) return;
    m_translator = std::move(translator);
    m_locale = locale;
}

void CQtTranslation::Remove()
{
    if (m_translator) QCoreApplication::removeTranslator(m_translator.get());
    m_translator.reset();
    m_locale.clear();
}
