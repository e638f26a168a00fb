#include "ui/icon_theme.h"

#include <QDir>
#include <QIcon>

namespace sonvarek {

void UseInstalledIconThemeWhenNoneIsSet() {
  QString current = QIcon::themeName();
  if (!current.isEmpty() && current != "hicolor") return;
  for (const QString& theme : {QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("Tango")}) {
    for (const QString& folder : QIcon::themeSearchPaths()) {
      if (QDir(folder + "/" + theme).exists()) {
        QIcon::setThemeName(theme);
        return;
      }
    }
  }
}

}  // namespace sonvarek
