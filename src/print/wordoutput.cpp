// Producing the Word documents of a print button from the templates.
#include "print/wordoutput.h"

#include "print/docxdocument.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <memory>

namespace tamsel::print {

WordOutput::WordOutput(QString dataFolder, QStringList templateFolders, QString outputFolder)
    : m_dataFolder(std::move(dataFolder)), m_templateFolders(std::move(templateFolders)),
      m_outputFolder(std::move(outputFolder)) {}

QString WordOutput::defaultOutputFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Tamsel");
}

QString WordOutput::findTemplate(const QString& name) const {
    const QString wanted = name + QStringLiteral(".dotx");
    for (const QString& folder : m_templateFolders) {
        const QDir dir(folder);
        for (const QString& entry : dir.entryList(QDir::Files)) {
            if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
                return dir.filePath(entry);
            }
        }
    }
    return {};
}

QString WordOutput::fileBaseName(const QString& form, const QString& item4, const QString& title) {
    QString name = form + u'_' + item4.trimmed();
    if (!title.trimmed().isEmpty()) {
        name += u'_' + title.trimmed().left(40);
    }
    QString safe;
    for (const QChar c : name) {
        // Separators and characters other desktops refuse in names become "_".
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"/\\:*?\"<>|").contains(c)) {
            safe += u'_';
        } else if (!c.isSurrogate()) {
            safe += c;
        }
    }
    while (safe.startsWith(u'.')) {
        safe.remove(0, 1);
    }
    return safe.isEmpty() ? QStringLiteral("document") : safe;
}

QString WordOutput::publish(const QString& temporaryFile, const QString& folder, const QString& base) {
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? base : base + QStringLiteral("(%1)").arg(n);
        const QString target = QDir(folder).filePath(name + QStringLiteral(".docx"));
        if (QFile::exists(target)) {
            continue;
        }
        // rename refuses an existing target, so a file made meanwhile is never replaced.
        if (QFile::rename(temporaryFile, target)) {
            // The temporary file was private; a document is as readable as any the user saves.
            QFile::setPermissions(target,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
            return target;
        }
    }
    QFile::remove(temporaryFile);
    throw DocumentError(QStringLiteral("无法在“%1”中保存文档“%2”").arg(folder, base));
}

QStringList WordOutput::produce(WordButton button, const AchievementKey& key,
                                const Prefetched& prefetched) const {
    const QList<DocumentPlan> plans = documentsOf(button);
    QStringList templates;
    for (const DocumentPlan& plan : plans) {
        const QString path = findTemplate(plan.templateName);
        if (path.isEmpty()) {
            throw DocumentError(QStringLiteral("您的电脑上没有相应的报表"));
        }
        templates.append(path);
    }

    PrintData data(m_dataFolder, key, prefetched);
    std::vector<std::unique_ptr<DocxDocument>> documents;
    for (qsizetype i = 0; i < plans.size(); ++i) {
        auto document = std::make_unique<DocxDocument>(templates.at(i));
        const QStringList missing = document->missingBookmarks(formBookmarks(plans.at(i).form));
        if (!missing.isEmpty()) {
            throw DocumentError(
                QStringLiteral("模板“%1”缺少书签：%2。没有生成文档。")
                    .arg(QFileInfo(templates.at(i)).fileName(), missing.join(QStringLiteral("、"))));
        }
        for (const FormValue& value : formValues(plans.at(i).form, data)) {
            if (!value.text.isEmpty()) {
                document->insertAfter(value.bookmark, value.text);
            }
        }
        documents.push_back(std::move(document));
    }

    if (!QDir().mkpath(m_outputFolder)) {
        throw DocumentError(QStringLiteral("无法建立文件夹“%1”").arg(m_outputFolder));
    }
    QStringList written;
    for (qsizetype i = 0; i < plans.size(); ++i) {
        QString temporary;
        {
            QTemporaryFile file(QDir(m_outputFolder).filePath(QStringLiteral(".tamsel-XXXXXX.docx")));
            if (!file.open()) {
                throw DocumentError(QStringLiteral("无法在“%1”中写入文件").arg(m_outputFolder));
            }
            file.setAutoRemove(false);
            temporary = file.fileName();
        }
        try {
            documents.at(i)->save(temporary);
        } catch (...) {
            QFile::remove(temporary);
            throw;
        }
        written.append(
            publish(temporary, m_outputFolder,
                    fileBaseName(plans.at(i).templateName, key.item4, data.field(QStringLiteral("item_3")))));
    }
    return written;
}

} // namespace tamsel::print
