#pragma once

#include <QString>
#include <functional>

namespace tamsel::platform {

// Opens a produced document in the desktop's program for its type. Returns false when no
// program could be started for it. Tests install an opener that records the paths instead.
bool openDocument(const QString& path);

using DocumentOpener = std::function<bool(const QString& path)>;
// An empty opener restores the desktop's.
void setDocumentOpener(DocumentOpener opener);

} // namespace tamsel::platform
