// Opening a produced document with the desktop's program, behind a seam for tests.
#include "platform/opendocument.h"

#include <QDesktopServices>
#include <QUrl>

namespace tamsel::platform {
namespace {
DocumentOpener g_opener;
}

bool openDocument(const QString& path) {
    if (g_opener) {
        return g_opener(path);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void setDocumentOpener(DocumentOpener opener) {
    g_opener = std::move(opener);
}

} // namespace tamsel::platform
