#pragma once

// An applied-technology achievement listed by the main window over a fresh copy of the delivered
// data folder, with patent rows, for the intellectual-property page and the patents list.

#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/table.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHash>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QVariant>
#include <memory>

namespace tamsel::test {

class IpFixture {
public:
    static constexpr const char* kNumber = "2009000001";

    // The achievement (key 2009000001 / "."), then a patent of another achievement with the same
    // number and another region code, which nothing here may touch.
    explicit IpFixture(const QHash<QString, QVariant>& extra = {}, const QStringList& patents = {}) {
        folder.copyDeliveredData();
        append(QStringLiteral("unit.dbf"), {{QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
        QHash<QString, QVariant> values{{QStringLiteral("ITEM_4"), QString::fromLatin1(kNumber)},
                                        {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                        {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
                                        {QStringLiteral("ITEM_3"), QStringLiteral("测试成果")}};
        for (auto it = extra.cbegin(); it != extra.cend(); ++it) {
            values.insert(it.key(), it.value());
        }
        append(QStringLiteral("pelk.dbf"), values);
        append(QStringLiteral("zlqk.dbf"), {{QStringLiteral("ITEM_4"), QString::fromLatin1(kNumber)},
                                            {QStringLiteral("ITEM_DQDM"), QStringLiteral("X01")},
                                            {QStringLiteral("ITEM_NO"), 7},
                                            {QStringLiteral("PATENT_NO"), QStringLiteral("OTHER")},
                                            {QStringLiteral("PATENT_NAM"), QStringLiteral("别的成果的专利")},
                                            {QStringLiteral("PATENT_ST"), QStringLiteral("2")},
                                            {QStringLiteral("PATENT_TY"), QStringLiteral("1")}});
        int n = 0;
        for (const QString& patent : patents) {
            addPatent(patent, ++n);
        }
        dm = std::make_unique<core::TDM>(folder.path());
        dm->DataModuleCreate(nullptr);
        main = std::make_unique<core::TMainForm>(dm.get());
        ScriptedUi ui;
        main->FormShow();
        if (!ui.verify()) {
            qFatal("main window: %s", qPrintable(ui.failures()));
        }
    }

    // A patent "status/type" (e.g. "2/1") of the achievement, numbered n.
    void addPatent(const QString& statusType, int n) const {
        append(QStringLiteral("zlqk.dbf"), {{QStringLiteral("ITEM_4"), QString::fromLatin1(kNumber)},
                                            {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                            {QStringLiteral("ITEM_NO"), n},
                                            {QStringLiteral("PATENT_NO"), QStringLiteral("ZL%1").arg(n)},
                                            {QStringLiteral("PATENT_NAM"), QStringLiteral("专利%1").arg(n)},
                                            {QStringLiteral("PATENT_ST"), statusType.section('/', 0, 0)},
                                            {QStringLiteral("PATENT_TY"), statusType.section('/', 1, 1)}});
    }

    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        appendRecord(folder.path(), table, values);
    }

    // The achievement's field as stored, read through a table of its own.
    QString stored(const QString& field) const {
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(QStringLiteral("pelk.dbf"));
        t.open();
        t.first();
        return t.asString(field);
    }

    // Every zlqk row as "dqdm|no|patent number|status|type", in file order.
    QStringList patentRows() const {
        QStringList rows;
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(QStringLiteral("zlqk.dbf"));
        t.open();
        for (t.first(); !t.eof(); t.next()) {
            rows << QStringList{t.asString(u"ITEM_DQDM"), t.asString(u"ITEM_NO"), t.asString(u"PATENT_NO"),
                                t.asString(u"PATENT_ST"), t.asString(u"PATENT_TY")}
                        .join('|');
        }
        return rows;
    }

    bool pageDone(const QString& code) const { return core::TMainForm::isPageDone(main->pageButton(code)); }

    TestFolder folder;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> main;
};

} // namespace tamsel::test
