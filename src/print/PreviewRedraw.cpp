#include "PreviewRedraw.h"

#include <QEvent>
#include <QGraphicsView>
#include <QPrintPreviewWidget>
#include <QTimer>

#include <optional>

namespace {

// What a preview shows, beyond the pages' content.
struct Showing {
    double zoom;
    QPrintPreviewWidget::ZoomMode zoomMode;
    QPrintPreviewWidget::ViewMode viewMode;
    int page;
    bool operator==(const Showing&) const = default;
};

// Watches the preview's viewport: a paint that shows the pages otherwise
// than the last one did asks the preview for its pages again.
class CPreviewRedraw : public QObject {
public:
    explicit CPreviewRedraw(QPrintPreviewWidget& preview) : QObject(&preview), m_preview(&preview) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) Check();
        return QObject::eventFilter(watched, event);
    }

private:
    void Check()
    {
        const Showing now{m_preview->zoomFactor(), m_preview->zoomMode(), m_preview->viewMode(),
                          m_preview->currentPage()};
        const bool first = !m_last;
        if (m_last == now) return;
        m_last = now;
        // The first paint shows the pages drawn as the preview opened. The
        // new drawing waits until this paint is over.
        if (!first) QTimer::singleShot(0, m_preview, &QPrintPreviewWidget::updatePreview);
    }

    QPrintPreviewWidget* m_preview; // the parent
    std::optional<Showing> m_last;
};

} // namespace

void RedrawOnEveryChange(QPrintPreviewWidget& preview)
{
    auto* view = preview.findChild<QGraphicsView*>();
    if (!view) return;
    auto* redraw = new CPreviewRedraw(preview); // owned by preview
    view->viewport()->installEventFilter(redraw);
}
