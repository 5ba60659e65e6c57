#include "tools/lcd/ui/lcd_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <cmath>

#include "tools/lcd/core/lcd_char.h"

namespace qbc {

const QColor LcdPicture::kSetColor = QColor(0, 0, 0);
const QColor LcdPicture::kClearColor = QColor(192, 255, 192);

LcdPicture::LcdPicture(QWidget* parent)
    : QWidget(parent), image_(kLcdPictureWidth, kLcdPictureHeight, QImage::Format_RGB32) {
  image_.fill(palette().color(QPalette::Window));
  setFixedSize(sizeHint());
  DrawGrid();
}

QSize LcdPicture::sizeHint() const { return QSize(kLcdPictureWidth * scale_, kLcdPictureHeight * scale_); }

void LcdPicture::SetScale(int scale) {
  scale_ = scale;
  setFixedSize(sizeHint());
}

void LcdPicture::DrawGrid() {
  const QColor line = palette().color(QPalette::Highlight);
  for (int x = 0; x < image_.width(); x += kLcdCellPixels) {
    for (int y = 0; y < image_.height(); ++y) image_.setPixelColor(x, y, line);
  }
  for (int y = 0; y < image_.height(); y += kLcdCellPixels) {
    for (int x = 0; x < image_.width(); ++x) image_.setPixelColor(x, y, line);
  }
  update();
}

void LcdPicture::PaintCell(int column, int row, const QColor& colour) {
  for (int dy = 1; dy < kLcdCellPixels; ++dy) {
    for (int dx = 1; dx < kLcdCellPixels; ++dx) {
      image_.setPixelColor(column * kLcdCellPixels + dx, row * kLcdCellPixels + dy, colour);
    }
  }
  update();
}

void LcdPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(rect(), image_);
}

void LcdPicture::mousePressEvent(QMouseEvent* event) {
  const QPointF p = event->position() / scale_;
  emit pressed(event->button(), static_cast<int>(std::lround(std::floor(p.x()))),
               static_cast<int>(std::lround(std::floor(p.y()))));
}

}  // namespace qbc
