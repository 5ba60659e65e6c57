#include "tools/lcd/ui/frm_lcd.h"

#include "tools/common/tool_globals.h"
#include "ui_frm_lcd.h"

namespace qbc {

frmLCD::frmLCD(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::frmLCD>()) {
  ui_->setupUi(this);
  ui_->picCH->SetScale(5);
  LcdPicture* previews[] = {ui_->picLCD_0, ui_->picLCD_1, ui_->picLCD_2, ui_->picLCD_3};
  for (int box = 0; box < 4; ++box) {
    const LcdRows& glyph = LcdPreviewGlyphs()[static_cast<size_t>(box)];
    for (int row = 0; row < kLcdRows; ++row) {
      for (int column = 0; column < kLcdColumns; ++column) {
        if (glyph[static_cast<size_t>(row)] & LcdColumnBit(column)) {
          previews[box]->PaintCell(column, row, LcdPicture::kSetColor);
        }
      }
    }
  }
  connect(ui_->picCH, &LcdPicture::pressed, this, &frmLCD::OnGridPressed);
  connect(ui_->cmdCLS, &QPushButton::clicked, this, &frmLCD::Clear);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &frmLCD::Generate);
  connect(ui_->cmdCC, &QPushButton::clicked, this, [this] {
    LcdCharOk = false;
    reject();
  });
}

frmLCD::~frmLCD() = default;

void frmLCD::OnGridPressed(Qt::MouseButton button, int x, int y) {
  const auto cell = LcdCellAt(x, y);
  if (!cell) return;  // a click on a grid line changes nothing
  ui_->picCH->PaintCell(cell->column, cell->row,
                        button == Qt::LeftButton ? LcdPicture::kSetColor : LcdPicture::kClearColor);
}

void frmLCD::Clear() {
  for (int row = 0; row < kLcdRows; ++row) {
    for (int column = 0; column < kLcdColumns; ++column) {
      ui_->picCH->PaintCell(column, row, LcdPicture::kClearColor);
    }
  }
}

LcdRows frmLCD::ReadRows() const {
  LcdRows rows{};
  for (int row = 0; row < kLcdRows; ++row) {
    for (int column = 0; column < kLcdColumns; ++column) {
      // Only pure black is a set dot.
      const QColor c = ui_->picCH->PixelAt(column * kLcdCellPixels + 2, row * kLcdCellPixels + 2);
      if (c == LcdPicture::kSetColor) rows[static_cast<size_t>(row)] |= LcdColumnBit(column);
    }
  }
  return rows;
}

void frmLCD::Generate() {
  LcdCharRows = ReadRows();
  LcdCharOk = true;
  accept();
}

}  // namespace qbc
