#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace tamsel::test {

TestFolder::TestFolder() {
    if (!m_dir.isValid()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
}

void TestFolder::copyDeliveredData() const {
    const QDir source(QStringLiteral(TAMSEL_BUILD_DATA_DIR));
    const auto entries = source.entryInfoList(QDir::Files);
    for (const QFileInfo& info : entries) {
        const QString target = m_dir.filePath(info.fileName());
        QFile::remove(target);
        if (!QFile::copy(info.absoluteFilePath(), target)) {
            throw std::runtime_error("cannot copy delivered data");
        }
        QFile::setPermissions(target,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

} // namespace tamsel::test
