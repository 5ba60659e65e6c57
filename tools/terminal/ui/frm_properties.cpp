#include "tools/terminal/ui/frm_properties.h"

#include <cctype>

#include "tools/common/tool_dialogs.h"
#include "tools/common/tool_settings.h"
#include "tools/terminal/core/port_paths.h"
#include "tools/terminal/core/serial_frame.h"
#include "tools/terminal/ui/port_properties_target.h"
#include "ui_frm_properties.h"

namespace qbc {

namespace {

const char* const kSpeeds[] = {"1200", "2400", "4800", "9600", "14400", "19200",
                               "28800", "38400", "56000", "57600", "115200"};
const char* const kParities[] = {"Even", "Odd", "None", "Mark", "Space"};
const char* const kStopBits[] = {"1", "1.5", "2"};

}  // namespace

frmProperties::frmProperties(PortPropertiesTarget& target, ToolDialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmProperties>()), target_(target), dialogs_(dialogs) {
  ui_->setupUi(this);
  // DTR and RTS act at once and are not part of what OK applies.
  connect(ui_->Check1, &QCheckBox::clicked, this, [this] { target_.ToggleDtr(); });
  connect(ui_->Check2, &QCheckBox::clicked, this, [this] { target_.ToggleRts(); });
  connect(ui_->cmdOK, &QPushButton::clicked, this, &frmProperties::OnOk);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  LoadPropertySettings();
}

frmProperties::~frmProperties() = default;

void frmProperties::LoadPropertySettings() {
  for (int n = 1; n <= kPortCount; ++n) ui_->cboPort->addItem(QString::fromStdString(PortName(n)));
  for (const char* s : kSpeeds) ui_->cboSpeed->addItem(QLatin1String(s));
  ui_->cboDataBits->addItems({QStringLiteral("7"), QStringLiteral("8")});
  for (const char* p : kParities) ui_->cboParity->addItem(QLatin1String(p));
  for (const char* s : kStopBits) ui_->cboStopBits->addItem(QLatin1String(s));

  const PortSettings current = target_.CurrentPortSettings();
  ui_->cboParity->setCurrentIndex(-1);
  if (const auto frame = ParseSerialFrame(current.settings)) {
    // A speed set outside this list is shown and kept rather than replaced by the first item.
    const QString speed = QString::number(frame->baud);
    if (ui_->cboSpeed->findText(speed) < 0) ui_->cboSpeed->addItem(speed);
    ui_->cboSpeed->setCurrentText(speed);
    const int parity = static_cast<int>(std::string_view("eonms").find(frame->parity));
    ui_->cboParity->setCurrentIndex(parity);
    ui_->cboDataBits->setCurrentText(QString::number(frame->dataBits));
    ui_->cboStopBits->setCurrentIndex(static_cast<int>(frame->stopBits));
  }
  // A port number without a list entry leaves the list unselected.
  ui_->cboPort->setCurrentIndex(current.commPort >= 1 && current.commPort <= kPortCount ? current.commPort - 1 : -1);
  if (auto* flow = findChild<QRadioButton*>(QStringLiteral("optFlow_%1").arg(current.handshaking))) {
    flow->setChecked(true);
  }
  (current.echo ? ui_->optEcho_1 : ui_->optEcho_0)->setChecked(true);
}

PortSettings frmProperties::Chosen() const {
  PortSettings chosen;
  chosen.commPort = ui_->cboPort->currentIndex() + 1;
  const QString parity = ui_->cboParity->currentText().left(1).toLower();
  chosen.settings = (ui_->cboSpeed->currentText().trimmed() + QLatin1Char(',') + parity + QLatin1Char(',') +
                     ui_->cboDataBits->currentText().trimmed() + QLatin1Char(',') +
                     ui_->cboStopBits->currentText().trimmed())
                        .toStdString();
  for (int i = 0; i < 4; ++i) {
    if (findChild<QRadioButton*>(QStringLiteral("optFlow_%1").arg(i))->isChecked()) chosen.handshaking = i;
  }
  chosen.echo = ui_->optEcho_1->isChecked();
  return chosen;
}

void frmProperties::OnOk() {
  const QString error = target_.ApplyPortSettings(Chosen());
  if (!error.isEmpty()) {
    dialogs_.Message(this, MsgStyle::Exclamation, error);
    return;  // the window stays so the choice can be corrected
  }
  const PortSettings applied = target_.CurrentPortSettings();
  WriteProperty(kKeySettings, QString::fromStdString(applied.settings));
  WriteProperty(kKeyCommPort, QString::number(applied.commPort));
  WriteProperty(kKeyHandshaking, QString::number(applied.handshaking));
  WriteProperty(kKeyEcho, applied.echo ? QStringLiteral("True") : QStringLiteral("False"));
  accept();
}

}  // namespace qbc
