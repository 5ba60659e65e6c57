#include "ide/app/windows/button_bar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace qbc {

namespace {

// The picture of each button: a desktop icon, or a short text where none fits.
struct Picture {
  QStyle::StandardPixmap icon;
  const char* text;
  const char* tip;
};

constexpr QStyle::StandardPixmap kNoIcon = QStyle::SP_CustomBase;

constexpr std::array<Picture, ButtonBar::kCount> kPictures = {{
    {QStyle::SP_FileIcon, nullptr, "New"},
    {QStyle::SP_DialogOpenButton, nullptr, "Open Basic file"},
    {kNoIcon, "ASM", "Open assembler file"},
    {QStyle::SP_DialogSaveButton, nullptr, "Save"},
    {kNoIcon, "\xbb", "Indent"},
    {kNoIcon, "\xab", "UnIndent"},
    {kNoIcon, "'", "Comment Block"},
    {kNoIcon, "''", "UnComment Block"},
    {kNoIcon, "Prn", "Print"},
    {QStyle::SP_FileDialogDetailedView, nullptr, "Editor Properties"},
    {QStyle::SP_MediaPlay, nullptr, "RUN   (Compile)"},
    {kNoIcon, "Prg", "Programmer"},
    {kNoIcon, "Dbg", "AvrStudio"},
    {kNoIcon, "LCD", "LCD Char Designer"},
    {kNoIcon, "Ter", "Terminal Emulator"},
    {kNoIcon, "Calc", "AVR Calculator"},
    {QStyle::SP_DialogHelpButton, nullptr, "Help"},
    {QStyle::SP_DialogCloseButton, nullptr, "Exit"},
}};

QPixmap MakePicture(const Picture& p) {
  QPixmap pix(ButtonBar::kSize, ButtonBar::kSize);
  pix.fill(QColor(236, 236, 236));
  QPainter painter(&pix);
  if (p.icon != kNoIcon) {
    QApplication::style()->standardIcon(p.icon).paint(&painter, QRect(4, 4, 24, 24));
  } else {
    QFont f = painter.font();
    f.setPixelSize(11);
    f.setBold(true);
    painter.setFont(f);
    painter.setPen(QColor(40, 40, 90));
    painter.drawText(QRect(1, 1, 30, 30), Qt::AlignCenter, QString::fromLatin1(p.text));
  }
  return pix;
}

// The left edge of button i: 5 + 35 i pixels, 15 more before each group.
int LeftOf(int i) {
  int left = 5 + 35 * i;
  for (int groupStart : {4, 8, 10, 16})
    if (i >= groupStart) left += 15;
  return left;
}

}  // namespace

PictureButton::PictureButton(ButtonBar& bar, int index, QPixmap picture, QWidget* parent)
    : QWidget(parent), bar_(bar), index_(index), picture_(std::move(picture)) {
  setObjectName(QStringLiteral("Buttons_%1").arg(index));
  setFixedSize(ButtonBar::kSize, ButtonBar::kSize);
  setMouseTracking(true);
}

void PictureButton::SetFrame(Frame frame) {
  frame_ = frame;
  update();
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, picture_);
  if (frame_ == Frame::kPlain) return;
  const QColor topLeft = frame_ == Frame::kPressed ? ButtonBar::kDarkBlue : ButtonBar::kLightBlue;
  const QColor bottomRight = frame_ == Frame::kPressed ? ButtonBar::kLightBlue : ButtonBar::kDarkBlue;
  p.setPen(topLeft);
  p.drawLine(0, 0, 31, 0);
  p.drawLine(0, 0, 0, 31);
  p.setPen(bottomRight);
  p.drawLine(1, 31, 31, 31);
  p.drawLine(31, 2, 31, 31);
}

void PictureButton::mousePressEvent(QMouseEvent*) { bar_.MouseDown(index_); }
void PictureButton::mouseMoveEvent(QMouseEvent*) { bar_.MouseMove(index_); }
void PictureButton::mouseReleaseEvent(QMouseEvent*) { bar_.MouseUp(index_); }

ButtonBar::ButtonBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Buttons"));
  for (int i = 0; i < kCount; ++i) {
    const Picture& picture = kPictures[static_cast<std::size_t>(i)];
    auto* b = new PictureButton(*this, i, MakePicture(picture), this);
    b->setToolTip(QString::fromLatin1(picture.tip));
    b->move(LeftOf(i), 5);
    buttons_[static_cast<std::size_t>(i)] = b;
  }
  setFixedHeight(kSize + 10);
  setMinimumWidth(LeftOf(kCount - 1) + kSize + 5);
}

void ButtonBar::Plain(int index) { Button(index)->SetFrame(PictureButton::Frame::kPlain); }

void ButtonBar::MouseDown(int index) {
  Button(index)->SetFrame(PictureButton::Frame::kPressed);
  hotIndex_ = index;
  emit pressed(index);
}

void ButtonBar::MouseMove(int index) {
  if (index == hotIndex_) return;
  Button(index)->SetFrame(PictureButton::Frame::kRaised);
  Plain(hotIndex_);
  hotIndex_ = index;
}

void ButtonBar::MouseUp(int index) {
  Plain(hotIndex_);
  Button(index)->SetFrame(PictureButton::Frame::kRaised);
}

}  // namespace qbc
