#include "ide/app/editor/editor_properties_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ide/app/editor/editor_colors.h"
#include "ide/core/settings_keys.h"

namespace qbc {

EditorPropertiesDialog::EditorPropertiesDialog(const EditorLook& look, QWidget* parent)
    : QDialog(parent), look_(look) {
  setObjectName(QStringLiteral("frmEditorProperties"));
  setWindowTitle(QStringLiteral("Editor Properties"));
  auto* form = new QFormLayout;
  for (const auto& key : settings::kColorKeys) {
    const int slot = key.slot;
    auto* pick = new QPushButton;
    pick->setObjectName(QStringLiteral("color_") + QString::fromLatin1(key.key));
    auto* none = new QCheckBox(QStringLiteral("None"));
    none->setChecked(look_.Color(slot) == -1);
    connect(pick, &QPushButton::clicked, this, [this, slot, none] {
      QColor c = QColorDialog::getColor(ToQColor(look_.Color(slot), Qt::white), this);
      if (!c.isValid()) return;
      look_.colors[slot] = FromQColor(c);
      none->setChecked(false);
      ShowColor(slot);
    });
    connect(none, &QCheckBox::toggled, this, [this, slot, key](bool on) {
      look_.colors[slot] = on ? -1 : (key.defaultValue == -1 ? 0xFFFFFF : key.defaultValue);
      ShowColor(slot);
    });
    colorButtons_[slot] = pick;
    auto* row = new QHBoxLayout;
    row->addWidget(pick);
    row->addWidget(none);
    form->addRow(QString::fromLatin1(key.key), row);
    ShowColor(slot);
  }
  for (const auto& key : settings::kFontKeys) {
    const int slot = key.slot;
    auto* style = new QComboBox;
    style->setObjectName(QStringLiteral("font_") + QString::fromLatin1(key.key));
    style->addItems({QStringLiteral("Normal"), QStringLiteral("Bold"), QStringLiteral("Italic"),
                     QStringLiteral("Bold Italic"), QStringLiteral("Underline")});
    style->setCurrentIndex(std::clamp(look_.Font(slot), 0, 4));
    connect(style, &QComboBox::currentIndexChanged, this, [this, slot](int i) { look_.fonts[slot] = i; });
    form->addRow(QString::fromLatin1(key.key) + QStringLiteral(" style"), style);
  }
  auto* selBound = new QCheckBox(QStringLiteral("Keep the selection within the text"));
  selBound->setObjectName(QStringLiteral("selBound"));
  selBound->setChecked(look_.selBound);
  connect(selBound, &QCheckBox::toggled, this, [this](bool on) { look_.selBound = on; });
  form->addRow(selBound);

  auto* inner = new QWidget;
  inner->setLayout(form);
  auto* scroll = new QScrollArea;
  scroll->setWidget(inner);
  scroll->setWidgetResizable(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll);
  layout->addWidget(buttons);
  resize(420, 520);
}

void EditorPropertiesDialog::ShowColor(int slot) {
  const int value = look_.Color(slot);
  QPushButton* pick = colorButtons_[slot];
  if (value == -1) {
    pick->setText(QStringLiteral("(none)"));
    pick->setStyleSheet(QString());
  } else {
    pick->setText(QString::number(value));
    pick->setStyleSheet(QStringLiteral("background-color: %1").arg(ToQColor(value, Qt::white).name()));
  }
}

}  // namespace qbc
