#include "ide/app/services/application_setup.h"

#include <QCoreApplication>

namespace qbc {

QString ApplicationTitle() { return QStringLiteral("Quorvil Basic Compiler"); }

void SetUpApplication() {
  // A window whose title is empty shows the application name, so it is the title too.
  QCoreApplication::setApplicationName(ApplicationTitle());
}

}  // namespace qbc
