#include "ide/app/services/settings_store.h"

#include "ide/core/settings_keys.h"

namespace qbc {

std::unique_ptr<QSettings> OpenSettingsStore() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QString::fromLatin1(settings::kOrganisation),
                                     QString::fromLatin1(settings::kApplication));
}

namespace {
QString Key(const char* group, const char* key) {
  return QString::fromLatin1(group) + QLatin1Char('/') + QString::fromLatin1(key);
}
}  // namespace

QString ReadSetting(const char* group, const char* key, const QString& fallback) {
  return OpenSettingsStore()->value(Key(group, key), fallback).toString();
}

void WriteSetting(const char* group, const char* key, const QString& value) {
  OpenSettingsStore()->setValue(Key(group, key), value);
}

}  // namespace qbc
