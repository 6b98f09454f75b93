#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tamsel::test {

// A fresh temporary folder for one test; removed when the object goes.
class TestFolder {
public:
    TestFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Copies the delivered data folder of the build into this folder.
    void copyDeliveredData() const;

private:
    QTemporaryDir m_dir;
};

} // namespace tamsel::test
