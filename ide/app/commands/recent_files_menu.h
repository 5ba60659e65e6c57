#pragma once
// File > "&Recent Files": the six newest paths of File Open and Save As, kept in
// inc/recent.res, and their menu items `mnuRec0` .. `mnuRec5`.
#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "ide/core/recent_files.h"

class QAction;
class QMenu;

namespace qbc {

class RecentFilesMenu : public QObject {
  Q_OBJECT
 public:
  // `reopen` opens a listed path in a new window.
  RecentFilesMenu(QMenu* menu, QString installDir, std::function<void(const QString&)> reopen,
                  QObject* parent = nullptr);

  void AddRecent(const QString& path);
  void LoadRecent();
  const RecentList& List() const { return list_; }

 private:
  void UpdateMenu();

  QString installDir_;
  std::function<void(const QString&)> reopen_;
  RecentList list_;
  std::array<QAction*, 6> items_{};
};

}  // namespace qbc
