// Qt's own translations (standard buttons, print and file dialogs) for the
// language the user chose: its language file names the locale (text 139).
#pragma once

#include <QTranslator>

#include <memory>
#include <string>

class CQtTranslation {
public:
    CQtTranslation() = default;
    ~CQtTranslation();
    CQtTranslation(const CQtTranslation&) = delete;
    CQtTranslation& operator=(const CQtTranslation&) = delete;

    // Replaces the translation installed on the application with Qt's own
    // for locale ("de"); none, and Qt's English, for an empty or unknown
    // locale or one whose file Qt's translations folder lacks.
    void Apply(const std::string& locale);
    // The locale whose translation is installed; "" for none.
    const std::string& Locale() const { return m_locale; }

private:
    void Remove();

    std::unique_ptr<QTranslator> m_translator;
    std::string m_locale;
};
