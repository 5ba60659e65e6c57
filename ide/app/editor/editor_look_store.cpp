#include "ide/app/editor/editor_look_store.h"

#include "ide/app/services/settings_store.h"
#include "ide/core/settings_keys.h"

namespace qbc {

EditorLook ReadEditorLook() {
  auto store = OpenSettingsStore();
  EditorLook look = EditorLook::Defaults();
  auto read = [&](const char* group, const char* key, const QString& fallback) {
    return store->value(QString::fromLatin1(group) + QLatin1Char('/') + QString::fromLatin1(key), fallback)
        .toString()
        .toStdString();
  };
  for (const auto& k : settings::kColorKeys)
    look.colors[k.slot] = ParseSettingNumber(read(settings::kColors, k.key, QString::number(k.defaultValue)),
                                             k.defaultValue);
  for (const auto& k : settings::kFontKeys)
    look.fonts[k.slot] = ParseSettingNumber(read(settings::kFonts, k.key, QStringLiteral("0")), 0);
  look.selBound = ParseSettingBool(read(settings::kStartup, settings::kSelBound, QStringLiteral("True")), true);
  return look;
}

void WriteEditorLook(const EditorLook& look) {
  auto store = OpenSettingsStore();
  auto write = [&](const char* group, const char* key, const QString& value) {
    store->setValue(QString::fromLatin1(group) + QLatin1Char('/') + QString::fromLatin1(key), value);
  };
  for (const auto& k : settings::kColorKeys) write(settings::kColors, k.key, QString::number(look.Color(k.slot)));
  for (const auto& k : settings::kFontKeys) write(settings::kFonts, k.key, QString::number(look.Font(k.slot)));
  write(settings::kStartup, settings::kSelBound, QString::fromStdString(BoolSettingText(look.selBound)));
}

}  // namespace qbc
