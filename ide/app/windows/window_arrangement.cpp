#include "ide/app/windows/window_arrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace qbc {

namespace {

QList<QMdiSubWindow*> Shown(QMdiArea* area, bool minimized) {
  QList<QMdiSubWindow*> list;
  for (QMdiSubWindow* w : area->subWindowList())
    if (w->isVisible() && w->isMinimized() == minimized) list << w;
  return list;
}

void Tile(QMdiArea* area, bool sideBySide) {
  const QList<QMdiSubWindow*> windows = Shown(area, false);
  if (windows.isEmpty()) return;
  const QSize inner = area->viewport()->size();
  const int n = static_cast<int>(windows.size());
  for (int i = 0; i < n; ++i) {
    windows[i]->showNormal();
    if (sideBySide) {
      const int w = inner.width() / n;
      windows[i]->setGeometry(i * w, 0, w, inner.height());
    } else {
      const int h = inner.height() / n;
      windows[i]->setGeometry(0, i * h, inner.width(), h);
    }
  }
}

}  // namespace

void TileVertical(QMdiArea* area) { Tile(area, true); }

void TileHorizontal(QMdiArea* area) { Tile(area, false); }

void Cascade(QMdiArea* area) { area->cascadeSubWindows(); }

void ArrangeIcons(QMdiArea* area) {
  int x = 0;
  const int bottom = area->viewport()->height();
  for (QMdiSubWindow* w : Shown(area, true)) {
    const QSize s = w->size();
    w->move(x, bottom - s.height());
    x += s.width();
  }
}

}  // namespace qbc
