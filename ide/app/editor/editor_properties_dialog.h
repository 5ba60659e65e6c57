#pragma once
// The editor's properties dialog: one colour per colour key (or none), one font style per
// font key, and the selection setting. It edits a copy of the look.
#include <QDialog>
#include <map>

#include "ide/core/editor_look.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace qbc {

class EditorPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit EditorPropertiesDialog(const EditorLook& look, QWidget* parent = nullptr);
  EditorLook Look() const { return look_; }

 private:
  void ShowColor(int slot);

  EditorLook look_;
  std::map<int, QPushButton*> colorButtons_;
};

}  // namespace qbc
