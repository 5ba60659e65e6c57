#pragma once
// The terminal's log file: received text appended as raw bytes.
#include <QFile>
#include <QString>

namespace qbc {

class TerminalLog {
 public:
  // Opens `path` for appending, after removing it when `replace` is set; an error
  // description on failure, empty on success.
  QString Open(const QString& path, bool replace);
  QString Write(const std::string& data);
  void Close();
  bool IsOpen() const { return file_.isOpen(); }
  // The file's name without its folder.
  QString Title() const;

 private:
  QFile file_;
};

}  // namespace qbc
