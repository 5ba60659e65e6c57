#pragma once
// The settings store the tools share with the environment: application "Tolk", values
// kept as strings. Tests point it at a temporary folder with QSettings::setPath.
#include <QSettings>
#include <memory>

namespace qbc {

inline constexpr const char* kPropertiesGroup = "Properties";
inline constexpr const char* kKeySettings = "Settings";
inline constexpr const char* kKeyCommPort = "CommPort";
inline constexpr const char* kKeyHandshaking = "Handshaking";
inline constexpr const char* kKeyEcho = "Echo";

std::unique_ptr<QSettings> OpenToolSettings();

// A string setting of the "Properties" section; empty when it is not there.
QString ReadProperty(const char* key);
void WriteProperty(const char* key, const QString& value);

}  // namespace qbc
