#pragma once
// A picture box of the LCD designer: a 51 x 81 pixel image with the 5 x 8 cell grid,
// shown enlarged. The image itself holds the drawing, so reading the dots back is
// reading the image's colours.
#include <QColor>
#include <QImage>
#include <QWidget>

namespace qbc {

class LcdPicture : public QWidget {
  Q_OBJECT

 public:
  static const QColor kSetColor;    // black
  static const QColor kClearColor;  // light green

  explicit LcdPicture(QWidget* parent = nullptr);

  // Fills the inner square of the cell with `colour`, leaving the grid lines.
  void PaintCell(int column, int row, const QColor& colour);
  QColor PixelAt(int x, int y) const { return image_.pixelColor(x, y); }
  void DrawGrid();
  // Screen pixels per picture pixel.
  int Scale() const { return scale_; }
  void SetScale(int scale);

  QSize sizeHint() const override;

 signals:
  // A mouse press at picture pixel (x, y).
  void pressed(Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage image_;
  int scale_ = 2;
};

}  // namespace qbc
