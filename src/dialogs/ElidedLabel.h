// A one-line label whose text, when it is wider than the label, is shown
// cut with an ellipsis; its tooltip then gives the whole text. text() stays
// the whole text.
#pragma once

#include <QLabel>

class CElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    // What the label shows: the text, or its start with an ellipsis.
    QString ShownText() const;
    bool IsCut() const { return ShownText() != text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};
