#pragma once

// A main window over a fresh copy of the delivered data folder, with helpers that write rows
// through the engine the way the pages would.

#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/table.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"

#include <QDate>
#include <QHash>
#include <QTest>
#include <QVariant>
#include <memory>

namespace tamsel::test {

class MainFormFixture {
public:
    explicit MainFormFixture(bool withUnit = true) {
        folder.copyDeliveredData();
        if (withUnit) {
            append(QStringLiteral("unit.dbf"), {{QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
        }
        dm = std::make_unique<core::TDM>(folder.path());
        dm->DataModuleCreate(nullptr);
        form = std::make_unique<core::TMainForm>(dm.get());
    }

    // A control of the window by its objectName.
    template <typename T = QWidget> T* control(const QString& name) const {
        return test::control<T>(form.get(), name);
    }

    // Appends one record to a table of the data folder.
    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        appendRecord(folder.path(), table, values);
    }

    // Every mandatory field of the category filled (as the mandatory-item table lists them).
    QHash<QString, QVariant> completeFields(const QString& category) const {
        return test::completeFields(folder.path(), category);
    }

    // An achievement of the category; complete unless fields are left out or set empty.
    void addAchievement(const QString& item4, const QString& category, const QString& name,
                        bool complete = true, const QHash<QString, QVariant>& extra = {}) const {
        QHash<QString, QVariant> values = complete ? completeFields(category) : QHash<QString, QVariant>();
        values.insert(QStringLiteral("ITEM_4"), item4);
        values.insert(QStringLiteral("ITEM_DQDM"), QStringLiteral("."));
        values.insert(QStringLiteral("ITEM_CGLB"), category);
        values.insert(QStringLiteral("ITEM_3"), name);
        values.insert(QStringLiteral("ITEM_9"), QStringLiteral("测试研究院"));
        for (auto it = extra.cbegin(); it != extra.cend(); ++it) {
            values.insert(it.key(), it.value());
        }
        append(QStringLiteral("pelk.dbf"), values);
        if (complete) {
            addCompleter(item4, QStringLiteral("."));
        }
    }

    void addCompleter(const QString& item4, const QString& dqdm) const {
        append(QStringLiteral("cgwcr.DBF"), {{QStringLiteral("ITEM_4"), item4},
                                             {QStringLiteral("ITEM_DQDM"), dqdm},
                                             {QStringLiteral("ITEM_187"), 1},
                                             {QStringLiteral("ITEM_180"), QStringLiteral("张三")}});
    }

    // Field values of every pelk record, in file order.
    QList<QHash<QString, QString>> pelkRows(const QStringList& fields) const {
        QList<QHash<QString, QString>> rows;
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(QStringLiteral("pelk"));
        t.open();
        for (t.first(); !t.eof(); t.next()) {
            QHash<QString, QString> row;
            for (const QString& field : fields) {
                row.insert(field, t.asString(field));
            }
            rows.append(row);
        }
        return rows;
    }

    // The window as start-up leaves it, with no box expected.
    void show() {
        ScriptedUi ui;
        form->FormShow();
        QVERIFY2(ui.verify(), qPrintable(ui.failures()));
    }

    TestFolder folder;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> form;
};

} // namespace tamsel::test
