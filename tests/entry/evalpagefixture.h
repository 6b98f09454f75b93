#pragma once

// One achievement of a category over a fresh copy of the delivered data folder, listed by the
// main window, for the project and certificate pages.

#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/table.h"
#include "support/controls.h"
#include "support/scriptedui.h"
#include "support/testfolder.h"

#include <QComboBox>
#include <QHash>
#include <QPushButton>
#include <QTest>
#include <QVariant>
#include <memory>

namespace tamsel::test {

class EvalPageFixture {
public:
    explicit EvalPageFixture(const QString& category, const QHash<QString, QVariant>& extra = {}) {
        folder.copyDeliveredData();
        append(QStringLiteral("unit.dbf"), {{QStringLiteral("ITEM_9"), QStringLiteral("测试研究院")}});
        QHash<QString, QVariant> values{{QStringLiteral("ITEM_4"), QStringLiteral("2009000001")},
                                        {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                        {QStringLiteral("ITEM_CGLB"), category},
                                        {QStringLiteral("ITEM_3"), QStringLiteral("测试成果")}};
        for (auto it = extra.cbegin(); it != extra.cend(); ++it) {
            values.insert(it.key(), it.value());
        }
        append(QStringLiteral("pelk.dbf"), values);
        dm = std::make_unique<core::TDM>(folder.path());
        dm->DataModuleCreate(nullptr);
        main = std::make_unique<core::TMainForm>(dm.get());
        {
            ScriptedUi ui;
            main->FormShow();
            main->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(category.toInt() - 1);
            main->ComboBox1Change();
            if (!ui.verify()) {
                qFatal("main window: %s", qPrintable(ui.failures()));
            }
        }
    }

    void append(const QString& table, const QHash<QString, QVariant>& values) const {
        appendRecord(folder.path(), table, values);
    }

    // The achievement's fields as stored, read through a table of their own.
    QString stored(const QString& field) const {
        engine::Table t;
        t.setFolder(folder.path());
        t.setTableName(QStringLiteral("pelk.dbf"));
        t.open();
        t.first();
        return t.asString(field);
    }

    bool pageDone(const QString& code) const { return core::TMainForm::isPageDone(main->pageButton(code)); }

    TestFolder folder;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<core::TMainForm> main;
};

// A control of a window by its objectName; the test stops when it is missing.
} // namespace tamsel::test
