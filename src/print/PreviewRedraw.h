// Qt's print preview draws its pages once and then only scales and scrolls
// the pictures. The listing shows the files as they are when a page is
// drawn, so the preview draws its pages afresh whenever what it shows
// changes: zoom, fitting, the page in view, the view mode.
#pragma once

class QPrintPreviewWidget;

// Installs the redrawing on preview for the preview's life.
void RedrawOnEveryChange(QPrintPreviewWidget& preview);
