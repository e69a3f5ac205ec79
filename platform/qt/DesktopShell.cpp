#include "platform/qt/DesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QString>
#include <QUrl>

namespace veltrona {

void DesktopShell::open(const std::filesystem::path& document) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(document.string())));
}

bool DesktopShell::moveToTrash(const std::filesystem::path& tree) {
    return QFile::moveToTrash(QString::fromStdString(tree.string()));
}

} // namespace veltrona
