#pragma once
// The button bar `Buttons`: 18 picture buttons in five groups. The bar draws their frames
// itself: pressed (top and left dark blue, bottom and right light blue) on a press, raised
// (the other way round) on hover; the button hovered or pressed last keeps its frame
// until another one takes it.
#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <array>

namespace qbc {

class ButtonBar;

class PictureButton : public QWidget {
  Q_OBJECT
 public:
  enum class Frame { kPlain, kPressed, kRaised };
  PictureButton(ButtonBar& bar, int index, QPixmap picture, QWidget* parent);
  Frame CurrentFrame() const { return frame_; }
  void SetFrame(Frame frame);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ButtonBar& bar_;
  int index_;
  QPixmap picture_;
  Frame frame_ = Frame::kPlain;
};

class ButtonBar : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCount = 18;
  static constexpr int kSize = 32;
  static inline const QColor kDarkBlue{6, 62, 174};
  static inline const QColor kLightBlue{106, 162, 255};

  explicit ButtonBar(QWidget* parent = nullptr);

  PictureButton* Button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }
  int HotIndex() const { return hotIndex_; }

  // The three mouse events of button `index`.
  void MouseDown(int index);
  void MouseMove(int index);
  void MouseUp(int index);

 signals:
  // A press on button `index`: the main window runs its operation.
  void pressed(int index);

 private:
  void Plain(int index);

  std::array<PictureButton*, kCount> buttons_{};
  int hotIndex_ = 0;
};

}  // namespace qbc
