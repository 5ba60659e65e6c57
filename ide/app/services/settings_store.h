#pragma once
// The settings store of the environment and its tools: application "Tolk", one INI file
// per user. Tests point it elsewhere with QSettings::setPath(IniFormat, UserScope, folder).
#include <QSettings>
#include <QString>
#include <memory>

namespace qbc {

std::unique_ptr<QSettings> OpenSettingsStore();

// A text value of the store; `fallback` when the key is absent.
QString ReadSetting(const char* group, const char* key, const QString& fallback = QString());
void WriteSetting(const char* group, const char* key, const QString& value);

}  // namespace qbc
