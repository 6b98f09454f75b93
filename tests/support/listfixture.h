#pragma once

// A main window over a fresh data folder with achievements of this year, for the pages of the
// numbered child lists. Rows are read back through fresh tables, never through the page.

#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/table.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <QTest>
#include <QVariant>
#include <memory>

namespace tamsel::test {

class ListFixture {
public:
    ListFixture() {
        folder.copyDeliveredData();
        append(QStringLiteral("unit.dbf"), {{QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
        addAchievement(number(1), QStringLiteral("成果一"));
        addAchievement(number(2), QStringLiteral("成果二"));
        dm = std::make_unique<core::TDM>(folder.path());
        dm->DataModuleCreate(nullptr);
        main = std::make_unique<core::TMainForm>(dm.get());
        ScriptedUi ui;
        main->FormShow();
        if (!ui.verify())
            qFatal("start: %s", qPrintable(ui.failures()));
    }

    static QString number(int serial) {
        return QString::number(QDate::currentDate().year()) +
               QStringLiteral("%1").arg(serial, 6, 10, QLatin1Char('0'));
    }

    void addAchievement(const QString& item4, const QString& name) const {
        append(QStringLiteral("pelk.dbf"), {{QStringLiteral("ITEM_4"), item4},
                                            {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                            {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
                                            {QStringLiteral("ITEM_3"), name},
                                            {QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
    }

    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        appendRecord(folder.path(), table, values);
    }

    // "field=value|field=value" of every live record of a table, in file order; only the
    // records of one achievement when item4 is given.
    QStringList rows(const QString& table, const QStringList& fields, const QString& item4 = {}) const {
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(table);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next()) {
            if (!item4.isEmpty() && t.asString(u"ITEM_4") != item4)
                continue;
            QStringList parts;
            for (const QString& f : fields)
                parts << t.asString(f);
            out << parts.join(QLatin1Char('|'));
        }
        return out;
    }

    // Makes the achievement with this serial current in the main window.
    void select(int serial) const {
        for (dm->Qrypelk.first(); !dm->Qrypelk.eof(); dm->Qrypelk.next()) {
            if (dm->Qrypelk.asString(u"ITEM_4") == number(serial))
                return;
        }
        qFatal("no achievement %d", serial);
    }

    TestFolder folder;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> main;
};

} // namespace tamsel::test
