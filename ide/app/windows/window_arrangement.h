#pragma once
// The Window menu: the document windows side by side, one above the other, cascaded, or
// the minimised ones lined up at the bottom.
class QMdiArea;

namespace qbc {

void TileVertical(QMdiArea* area);    // side by side
void TileHorizontal(QMdiArea* area);  // one above the other
void Cascade(QMdiArea* area);
void ArrangeIcons(QMdiArea* area);

}  // namespace qbc
