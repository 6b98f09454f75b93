// The life cycle of an achievement on the main window: 新增, 修改主项 and 删除. The rules are
// the achievements service's; this file shows and asks.

#include "core/achievements.h"

#include "core/achievement_grid_model.h"
#include "core/data_module.h"
#include "core/field_check.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/main_items_dialog.h"
#include "engine/error.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "ui_main_form.h"

namespace tamsel::core {

using engine::EngineError;
using platform::Icon;

// --- Operations of the main window ------------------------------------------------------------------------

void TMainForm::setFormNew(TFormNew* dialog) {
    m_formNew = dialog;
    if (dialog) {
        dialog->setMainForm(this);
    }
}

TFormNew* TMainForm::formNew() {
    if (!m_formNew) {
        // Without an application that made one (tests, tools): the window keeps its own.
        setFormNew(new TFormNew(this));
    }
    // Name, unit and registration number stop at their fields' widths in bytes.
    if (m_dm && m_dm->Qrypelk.isActive()) {
        limitToFields(m_formNew, m_dm->Qrypelk);
    }
    return m_formNew;
}

QString TMainForm::NextNumber(const QString& year, const QString& table) {
    if (!m_dm) {
        return {};
    }
    const QString number = achievements().nextNumber(year, table);
    if (number.isEmpty()) {
        ShowWarning(numbersUsedUpMessage(year));
    }
    return number;
}

void TMainForm::SyncFiltersFromDialog() {
    if (!m_formNew) {
        return;
    }
    if (m_formNew->category() != m_ui->ComboBox1->currentIndex()) {
        m_ui->ComboBox1->setCurrentIndex(m_formNew->category());
        LoadAchievementList();
    }
    const QString year = m_formNew->yearText().trimmed();
    for (int i = 0; i < m_ui->cbYear->count(); ++i) {
        if (m_ui->cbYear->itemText(i) == year) {
            m_ui->cbYear->setCurrentIndex(i);
            LoadAchievementList();
        }
    }
}

void TMainForm::DeleteMainRecord(const QString& number, const QString& dqdm) {
    if (!m_dm) {
        return;
    }
    m_dm->Qrypelk.close();
    try {
        achievements().removeMainRecord({number, dqdm});
    } catch (const EngineError& e) {
        showEngineError(e.message());
    }
    LoadAchievementList();
}

void TMainForm::addYearToList(const QString& number) {
    const QString year = number.left(4);
    if (m_ui->cbYear->findText(year, Qt::MatchExactly) < 0) {
        const QSignalBlocker blocker(m_ui->cbYear);
        const QString text = m_ui->cbYear->currentText();
        m_ui->cbYear->addItem(year);
        m_ui->cbYear->setEditText(text);
    }
}

void TMainForm::reopenSavedList() {
    try {
        ReopenQuery(m_dm->Qrypelk, m_dm->SavedListSql);
    } catch (const EngineError& e) {
        m_gridModel->reload();
        showEngineError(e.message());
        return;
    }
    m_gridModel->reload();
}

bool TMainForm::locateAchievement(const QString& number, const QString& dqdm) {
    engine::Query& list = m_dm->Qrypelk;
    if (!list.isActive() || list.isEmpty()) {
        return false;
    }
    try {
        if (!list.locate(QStringLiteral("ITEM_4"), number)) {
            return false;
        }
        if (list.asString(QStringLiteral("ITEM_DQDM")).trimmed() == dqdm) {
            return true;
        }
        // Another achievement with the same number came first: walk on to the pair.
        const engine::Bookmark start = list.bookmark();
        list.disableControls();
        bool found = false;
        for (list.first(); !list.eof(); list.next()) {
            if (list.asString(QStringLiteral("ITEM_4")).trimmed() == number &&
                list.asString(QStringLiteral("ITEM_DQDM")).trimmed() == dqdm) {
                found = true;
                break;
            }
        }
        if (!found) {
            list.gotoBookmark(start);
        }
        list.enableControls();
        syncGridToDataset();
        return found;
    } catch (const EngineError& e) {
        list.enableControls();
        showEngineError(e.message());
        return false;
    }
}

// 存储 of a new achievement, after the dialog's checks. True when the dialog may close.
bool TMainForm::storeNewAchievement(TFormNew& dialog) {
    if (!m_dm) {
        return false;
    }
    engine::Query& list = m_dm->Qrypelk;
    m_dm->SavedListSql = list.sql();
    const int row = isListEmpty() ? 1 : list.recordCount() + 1;
    const std::optional<QString> storedName =
        dialog.RequireText(dialog.name(), QStringLiteral("成果名称不能为空！"));
    if (!storedName) {
        return false;
    }
    const std::optional<QString> storedUnit =
        dialog.RequireText(dialog.unit(), QStringLiteral("成果第一完成单位名称不能为空！"));
    if (!storedUnit) {
        return false;
    }
    if (refuseUnstorable(&dialog)) {
        return false;
    }
    const MainItems items{QString::number(dialog.category() + 1), dialog.yearText(), dialog.registration(),
                          *storedName, *storedUnit};

    StoreOutcome outcome;
    try {
        outcome = achievements().create(items, row);
    } catch (const EngineError& e) {
        showStoreError(&dialog, e.message());
        return false;
    }
    switch (outcome.status) {
    case StoreOutcome::Status::DuplicateName:
        platform::showMessage(this, QStringLiteral("提示信息"), outcome.message, Icon::Information);
        return false;
    case StoreOutcome::Status::NumbersUsedUp:
        ShowWarning(outcome.message);
        return false;
    case StoreOutcome::Status::Failed:
        showStoreError(&dialog, outcome.message);
        break;
    case StoreOutcome::Status::Stored:
    case StoreOutcome::Status::Gone:
        break;
    }
    const bool posted = outcome.status == StoreOutcome::Status::Stored;
    if (posted) {
        addYearToList(outcome.number);
    }

    SyncFiltersFromDialog();
    reopenSavedList();
    if (!posted) {
        // Nothing was written: the list stays as it was and the dialog keeps the input.
        MarkIncompletePages();
        ApplyCompleteness();
        return false;
    }
    RenumberList();
    locateAchievement(outcome.number, QStringLiteral("."));
    MarkIncompletePages();
    ApplyCompleteness();
    // The user is led through the pages of the new achievement until its mandatory ones are done.
    for (QPushButton* button : pageButtons()) {
        setPageDone(button, false);
    }
    for (QWidget* control : {static_cast<QWidget*>(m_ui->DBGrid1), static_cast<QWidget*>(m_ui->ComboBox1),
                             static_cast<QWidget*>(m_ui->cbYear), static_cast<QWidget*>(m_ui->SpeedButton16),
                             static_cast<QWidget*>(m_ui->SpeedButton26), static_cast<QWidget*>(m_ui->Button1),
                             static_cast<QWidget*>(m_ui->Button5), static_cast<QWidget*>(m_ui->BitBtn1),
                             static_cast<QWidget*>(m_ui->BitBtn2)}) {
        control->setEnabled(false);
    }
    return true;
}

// 存储 of changed main items, after the dialog's checks. True when the dialog may close.
bool TMainForm::storeMainItems(TFormNew& dialog) {
    if (!m_dm) {
        return false;
    }
    if (refuseUnstorable(&dialog)) {
        return false;
    }
    m_dm->SavedListSql = m_dm->Qrypelk.sql();
    const MainItems items{QString::number(dialog.category() + 1), dialog.yearText(), dialog.registration(),
                          dialog.name(), dialog.unit()};
    StoreOutcome outcome;
    try {
        outcome = achievements().changeMainItems({OldNumber, OldDqdm}, items);
    } catch (const EngineError& e) {
        showStoreError(&dialog, e.message());
        return false;
    }
    switch (outcome.status) {
    case StoreOutcome::Status::DuplicateName:
        platform::showMessage(this, QStringLiteral("提示信息"), outcome.message, Icon::Information);
        finishChange(OldNumber);
        return true;
    case StoreOutcome::Status::NumbersUsedUp:
        ShowWarning(outcome.message);
        return false;
    case StoreOutcome::Status::Gone:
        // The achievement went away meanwhile: nothing to change.
        finishChange(OldNumber);
        return true;
    case StoreOutcome::Status::Failed:
        showStoreError(&dialog, outcome.message);
        SyncFiltersFromDialog();
        reopenSavedList();
        return false;
    case StoreOutcome::Status::Stored:
        break;
    }
    addYearToList(outcome.number);
    for (const QString& message : outcome.childErrors) {
        showEngineError(message);
    }
    finishChange(outcome.number);
    return true;
}

void TMainForm::finishChange(const QString& number) {
    SyncFiltersFromDialog();
    reopenSavedList();
    RenumberList();
    locateAchievement(number, OldDqdm);
    MarkIncompletePages();
    ApplyCompleteness();
}

// --- Buttons ----------------------------------------------------------------------------------------------

void TMainForm::Button6Click() {
    if (!m_dm) {
        return;
    }
    QString unitName;
    if (m_dm->Tblunit.isActive() && !m_dm->Tblunit.isEmpty()) {
        try {
            unitName = m_dm->Tblunit.asString(QStringLiteral("item_9")).trimmed();
        } catch (const EngineError&) {
            unitName.clear();
        }
    }
    TFormNew* dialog = formNew();
    dialog->prepareCreate(unitName);
    dialog->showDialog();
}

void TMainForm::Button3Click() {
    if (!m_dm) {
        return;
    }
    OldNumber = currentValue(QStringLiteral("ITEM_4"));
    OldDqdm = currentValue(QStringLiteral("ITEM_DQDM"));
    if (isListEmpty()) {
        platform::showMessage(this, QStringLiteral("请注意！"), QStringLiteral("当前没有可以修改的项目"),
                              Icon::Question);
        return;
    }
    TFormNew* dialog = formNew();
    dialog->prepareChange(currentValue(QStringLiteral("ITEM_CGLB")), OldNumber,
                          currentValue(QStringLiteral("ITEM_120")), currentValue(QStringLiteral("ITEM_3")),
                          currentValue(QStringLiteral("ITEM_9")));
    dialog->showDialog();
}

void TMainForm::Button4Click() {
    if (isListEmpty()) {
        return;
    }
    const QString name = currentValue(QStringLiteral("ITEM_3"));
    if (!platform::askYesNo(this, QStringLiteral("提示信息"),
                            QStringLiteral("是否删除'") + name + QStringLiteral("'") +
                                QStringLiteral("项目?"),
                            Icon::Information)) {
        return;
    }
    const int row = currentValue(QStringLiteral("NO")).toInt();
    const QString number = currentValue(QStringLiteral("ITEM_4"));
    const QString dqdm = currentValue(QStringLiteral("ITEM_DQDM"));
    try {
        achievements().removeChildren({number, dqdm});
    } catch (const EngineError& e) {
        // The achievement stays, with what is left of its rows, so the delete can be repeated.
        showEngineError(e.message());
        return;
    }
    // Reloading the list numbers it.
    DeleteMainRecord(number, dqdm);
    // The achievement that followed the deleted one becomes current, and the lock follows it.
    if (!isListEmpty()) {
        try {
            m_dm->Qrypelk.locate(QStringLiteral("NO"), QString::number(row));
        } catch (const EngineError& e) {
            showEngineError(e.message());
        }
    }
    MarkIncompletePages();
    ApplyCompleteness();
}

} // namespace tamsel::core
