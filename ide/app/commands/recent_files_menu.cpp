#include "ide/app/commands/recent_files_menu.h"

#include <QAction>
#include <QFile>
#include <QMenu>

namespace qbc {

RecentFilesMenu::RecentFilesMenu(QMenu* menu, QString installDir, std::function<void(const QString&)> reopen,
                                 QObject* parent)
    : QObject(parent), installDir_(std::move(installDir)), reopen_(std::move(reopen)) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    QAction* item = menu->addAction(QString());
    item->setObjectName(QStringLiteral("mnuRec%1").arg(i));
    // An empty slot's item stays hidden until a path fills it.
    item->setVisible(false);
    connect(item, &QAction::triggered, this, [this, i] {
      if (!list_[i].empty()) reopen_(QFile::decodeName(QByteArray::fromStdString(list_[i])));
    });
    items_[i] = item;
  }
}

void RecentFilesMenu::AddRecent(const QString& path) {
  PushRecent(list_, QFile::encodeName(path).toStdString());
  WriteRecentFile(RecentFilePath(QFile::encodeName(installDir_).toStdString()), list_);
  UpdateMenu();
}

void RecentFilesMenu::LoadRecent() {
  auto read = ReadRecentFile(RecentFilePath(QFile::encodeName(installDir_).toStdString()));
  if (!read) return;
  list_ = *read;
  UpdateMenu();
}

void RecentFilesMenu::UpdateMenu() {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (list_[i].empty()) continue;
    QString caption = QFile::decodeName(QByteArray::fromStdString(list_[i]));
    // "&" in a path is part of the name, not an access key.
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    items_[i]->setText(caption);
    items_[i]->setVisible(true);
    items_[i]->setEnabled(true);
  }
}

}  // namespace qbc
