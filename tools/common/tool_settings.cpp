#include "tools/common/tool_settings.h"

namespace qbc {

std::unique_ptr<QSettings> OpenToolSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Tolk"), QStringLiteral("Tolk"));
}

QString ReadProperty(const char* key) {
  auto settings = OpenToolSettings();
  settings->beginGroup(QLatin1String(kPropertiesGroup));
  return settings->value(QLatin1String(key), QString()).toString();
}

void WriteProperty(const char* key, const QString& value) {
  auto settings = OpenToolSettings();
  settings->beginGroup(QLatin1String(kPropertiesGroup));
  settings->setValue(QLatin1String(key), value);
}

}  // namespace qbc
