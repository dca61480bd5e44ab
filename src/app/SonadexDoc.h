// The empty document: it holds only its title, the current folder.
#pragma once

#include <QObject>
#include <QString>

class CSonadexDoc : public QObject {
    Q_OBJECT
public:
    explicit CSonadexDoc(QObject* parent = nullptr);

    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);

signals:
    void TitleChanged(const QString& title);

private:
    QString m_strTitle;
};
