#include "tools/terminal/ui/terminal_log.h"

#include <QFileInfo>

namespace qbc {

QString TerminalLog::Open(const QString& path, bool replace) {
  Close();
  if (replace && QFile::exists(path) && !QFile::remove(path)) {
    return QStringLiteral("Cannot delete ") + path;
  }
  file_.setFileName(path);
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) return file_.errorString();
  return {};
}

QString TerminalLog::Write(const std::string& data) {
  const auto size = static_cast<qint64>(data.size());
  if (file_.write(data.data(), size) != size || !file_.flush()) {
    const QString error = file_.errorString();
    file_.unsetError();
    return error;
  }
  return {};
}

void TerminalLog::Close() {
  if (file_.isOpen()) file_.close();
}

QString TerminalLog::Title() const { return QFileInfo(file_.fileName()).fileName(); }

}  // namespace qbc
