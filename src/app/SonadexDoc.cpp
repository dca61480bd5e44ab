#include "SonadexDoc.h"

// The framework's name for a document that has no title yet.
CSonadexDoc::CSonadexDoc(QObject* parent) : QObject(parent), m_strTitle("Unbenannt")
{
}

void CSonadexDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit TitleChanged(m_strTitle);
}
