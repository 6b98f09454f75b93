#pragma once

// Shared by the print tests: a data folder with achievements to print, and an independent
// reader of the produced documents (tests/print/docx_bookmarks.py).

#include "engine/table.h"
#include "support/controls.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QVariantHash>

namespace tamsel::test {

struct ReadDocument {
    QHash<QString, QString> text; // after each bookmark, "¶" for a paragraph end
    QHash<QString, int> count;
    QString contentType;
    bool ok = false;
};

inline ReadDocument readDocument(const QString& path) {
    QProcess process;
    const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : QStringLiteral("python3");
    process.start(python, {QStringLiteral(TAMSEL_TESTS_SOURCE_DIR "/print/docx_bookmarks.py"), path});
    process.waitForFinished(60000);
    ReadDocument result;
    const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    result.ok = process.exitCode() == 0 && !json.isEmpty();
    const QJsonObject text = json.value(QStringLiteral("text")).toObject();
    for (auto it = text.begin(); it != text.end(); ++it) {
        result.text.insert(it.key(), it.value().toString());
    }
    const QJsonObject count = json.value(QStringLiteral("count")).toObject();
    for (auto it = count.begin(); it != count.end(); ++it) {
        result.count.insert(it.key(), it.value().toInt());
    }
    result.contentType = json.value(QStringLiteral("type")).toString();
    return result;
}

// The text of each page of a PDF file as pdftotext lays it out; the CJK font's radical glyphs
// come back as their compatibility characters and are folded to the ordinary ones.
inline QStringList readPdfPages(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput())
                            .normalized(QString::NormalizationForm_KC)
                            .split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

// The page's running label or counter: its last line without blanks or dashes.
inline QString pageFooter(const QString& page) {
    QString last = page.trimmed().split(u'\n').last();
    return last.remove(u' ').remove(QStringLiteral("—"));
}

// Appends one row to a table of the folder.
inline void addRow(const QString& folder, const QString& table, const QVariantHash& values) {
    appendRecord(folder, table, values);
}

// The delivered data folder with one applied-technology achievement (2008000001) and one
// soft-science achievement (2008000002), their child rows written out of 序号 order.
struct PrintFolder {
    TestFolder folder;
    QString output() const { return folder.file(QStringLiteral("out")); }
    QStringList written() const { return QDir(output()).entryList(QDir::Files | QDir::Hidden); }

    PrintFolder() {
        folder.copyDeliveredData();
        const QString data = folder.path();
        const auto key = [](const char* item4) {
            return QVariantHash{{QStringLiteral("ITEM_4"), QString::fromLatin1(item4)},
                                {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}};
        };
        QVariantHash applied = key("2008000001");
        applied.insert({{QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
                        {QStringLiteral("ITEM_3"), QStringLiteral("十个汉字十个汉字十个")}, // 20 bytes
                        {QStringLiteral("ITEM_9"), QStringLiteral("A/B & <C>")},
                        {QStringLiteral("ITEM_8"), QStringLiteral("2001.03   至2003.12")},
                        {QStringLiteral("ITEM_126"), QStringLiteral("01;10;")},
                        {QStringLiteral("ITEM_140"), QStringLiteral("7")},
                        {QStringLiteral("ITEM_163"), QStringLiteral("1")},
                        {QStringLiteral("ITEM_1"), QStringLiteral("3")},
                        {QStringLiteral("ITEM_15"), QStringLiteral("110")},
                        {QStringLiteral("ITEM_62"), QStringLiteral("3")},
                        {QStringLiteral("ITEM_34"), QStringLiteral("2004-05-06")},
                        {QStringLiteral("ITEM_13_1"), QStringLiteral("第一行\r\n第二行\t完")}});
        addRow(data, QStringLiteral("pelk.dbf"), applied);
        QVariantHash other = key("2008000002");
        other.insert({{QStringLiteral("ITEM_CGLB"), QStringLiteral("2")},
                      {QStringLiteral("ITEM_3"),
                       QStringLiteral("二十二个汉字的名称二十二个汉字的名称二十二个")}, // 44 bytes
                      {QStringLiteral("ITEM_8"), QStringLiteral("2001.03")},
                      {QStringLiteral("ITEM_126"), QStringLiteral("01;10;")},
                      {QStringLiteral("ITEM_163"), QStringLiteral("0")},
                      {QStringLiteral("ITEM_1"), QStringLiteral("1")},
                      {QStringLiteral("ITEM_21"), QStringLiteral("4")}});
        addRow(data, QStringLiteral("pelk.dbf"), other);

        for (int n = 1; n <= 6; ++n) {
            QVariantHash patent = key("2008000001");
            patent.insert({{QStringLiteral("ITEM_NO"), n},
                           {QStringLiteral("PATENT_NO"), QStringLiteral("ZL%1").arg(n)},
                           {QStringLiteral("PATENT_NAM"), QStringLiteral("专利%1").arg(n)},
                           {QStringLiteral("PATENT_ST"), QStringLiteral("1")}});
            addRow(data, QStringLiteral("zlqk.dbf"), patent);
        }
        for (const char* item4 : {"2008000001", "2008000002"}) {
            for (int n = 6; n >= 1; --n) { // stored last first: the print follows 序号
                QVariantHash unit = key(item4);
                unit.insert({{QStringLiteral("ITEM_176"), n},
                             {QStringLiteral("ITEM_170"), QStringLiteral("单位%1").arg(n)}});
                addRow(data, QStringLiteral("cgwcdw.DBF"), unit);
            }
        }
        for (int n = 46; n >= 1; --n) {
            QVariantHash person = key("2008000001");
            person.insert({{QStringLiteral("ITEM_187"), n},
                           {QStringLiteral("ITEM_180"), QStringLiteral("人员%1").arg(n)},
                           {QStringLiteral("ITEM_181"), QStringLiteral("1")}});
            addRow(data, QStringLiteral("cgwcr.DBF"), person);
        }
        for (int n = 2; n >= 1; --n) {
            QVariantHash member = key("2008000001");
            member.insert(
                {{QStringLiteral("ITEM_190"), n},
                 {QStringLiteral("ITEM_191"), n == 1 ? QStringLiteral("主任委员") : QStringLiteral("委员")},
                 {QStringLiteral("ITEM_192"), QStringLiteral("委员%1").arg(n)}});
            addRow(data, QStringLiteral("jdwyhmd.DBF"), member);
        }
    }
};

} // namespace tamsel::test
