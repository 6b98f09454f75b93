// The life cycle of an achievement on the main window: 新增, 修改主项 and 删除, and the
// numbering of management numbers.

#include "core/lifecycle.h"

#include "core/achievement_grid_model.h"
#include "core/data_module.h"
#include "core/main_form.h"
#include "core/main_items_dialog.h"
#include "engine/error.h"
#include "engine/query.h"
#include "platform/prompt.h"
#include "ui_main_form.h"

#include <QHash>

namespace tamsel::core {

using engine::EngineError;
using platform::Icon;

namespace {

// The child tables of an achievement, in the order they are changed.
const QStringList& childTables() {
    static const QStringList tables = {QStringLiteral("cgwcdw"), QStringLiteral("zlqk"),
                                       QStringLiteral("jdwyhmd"), QStringLiteral("cgwcr")};
    return tables;
}

bool isAsciiDigits(QStringView text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

void cancelPending(engine::Dataset& dataset) {
    if (dataset.state() == engine::Dataset::State::Edit ||
        dataset.state() == engine::Dataset::State::Insert) {
        dataset.cancel();
    }
}

} // namespace

bool isValidYear(const QString& year) {
    if (year.isEmpty() || year.size() > 4 || !isAsciiDigits(year)) {
        return false;
    }
    const int value = year.toInt();
    return value >= 1900 && value <= 2050;
}

bool isWellFormedNumber(QStringView number, QStringView year) {
    return number.size() == 10 && number.startsWith(year) && isAsciiDigits(number);
}

QString nextManagementNumber(TDM& dm, const QString& table, const QString& year) {
    const QString y = year.trimmed().left(4);
    if (y.size() != 4 || !isAsciiDigits(y)) {
        return {};
    }
    // Ten characters that begin with the year; the digits are checked below.
    const QString where = QStringLiteral(" from ") + table + QStringLiteral(" where item_4 like '") + y +
                          QStringLiteral("______'");
    engine::Query& scratch = dm.tempquery;
    scratch.clearParams();
    dm.OpenQueryText(scratch, QStringLiteral("select max(item_4)") + where);
    QString largest = scratch.isEmpty() ? QString() : scratch.asString(0).trimmed();
    if (!largest.isEmpty() && !isWellFormedNumber(largest, y)) {
        // The largest is malformed (letters from an imported file): look at every number of the year.
        largest.clear();
        dm.OpenQueryText(scratch, QStringLiteral("select item_4") + where);
        for (scratch.first(); !scratch.eof(); scratch.next()) {
            const QString number = scratch.asString(0).trimmed();
            if (isWellFormedNumber(number, y) && number > largest) {
                largest = number;
            }
        }
    }
    const int serial = largest.isEmpty() ? 1 : largest.mid(4).toInt() + 1;
    if (serial > 999999) {
        return {};
    }
    return y + QStringLiteral("%1").arg(serial, 6, 10, QLatin1Char('0'));
}

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
    return m_formNew;
}

QString TMainForm::NextNumber(const QString& year, const QString& table) {
    if (!m_dm) {
        return {};
    }
    const QString number = nextManagementNumber(*m_dm, table, year);
    if (number.isEmpty()) {
        ShowWarning(year.trimmed().left(4) + QStringLiteral("年的成果管理编号已用完！"));
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
    // The key pair: exactly this achievement, never another one that shares its number.
    try {
        engine::executeSql(m_dm->DataPath,
                           QStringLiteral("DELETE FROM pelk WHERE item_4=:item_4 and item_dqdm=:item_dqdm"),
                           {{QStringLiteral("item_4"), number}, {QStringLiteral("item_dqdm"), dqdm}});
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
bool TMainForm::StoreNewAchievement(TFormNew& dialog) {
    if (!m_dm) {
        return false;
    }
    engine::Query& list = m_dm->Qrypelk;
    m_dm->SavedListSql = list.sql();
    const int row = isListEmpty() ? 1 : list.recordCount() + 1;
    const QString name = dialog.name();

    QString number;
    try {
        m_dm->OpenQueryText(m_dm->tempquery, QStringLiteral("select * from pelk where item_3='") +
                                                 QuoteSql(name) + QStringLiteral("'"));
        if (!m_dm->tempquery.isEmpty()) {
            platform::showMessage(this, QStringLiteral("提示信息"), QStringLiteral("已有同名项目!"),
                                  Icon::Information);
            return false;
        }
        number = NextNumber(dialog.yearText());
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return false;
    }
    if (number.isEmpty()) {
        return false;
    }
    const std::optional<QString> storedName = dialog.RequireText(name, QStringLiteral("成果名称不能为空！"));
    if (!storedName) {
        return false;
    }
    const std::optional<QString> storedUnit =
        dialog.RequireText(dialog.unit(), QStringLiteral("成果第一完成单位名称不能为空！"));
    if (!storedUnit) {
        return false;
    }

    engine::Table& out = m_dm->T_temp_out;
    bool posted = false;
    try {
        if (!out.isActive()) {
            out.open();
        }
        out.append();
        out.setValue(QStringLiteral("NO"), QString::number(row));
        out.setValue(QStringLiteral("ITEM_CGLB"), QString::number(dialog.category() + 1));
        out.setValue(QStringLiteral("ITEM_4"), number);
        out.setValue(QStringLiteral("ITEM_DQDM"), QStringLiteral("."));
        out.setValue(QStringLiteral("ITEM_120"), dialog.registration());
        out.setValue(QStringLiteral("ITEM_3"), *storedName);
        out.setValue(QStringLiteral("ITEM_9"), *storedUnit);
        out.post();
        posted = true;
    } catch (const EngineError& e) {
        cancelPending(out);
        showEngineError(e.message());
    }
    if (posted) {
        addYearToList(number);
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
    locateAchievement(number, QStringLiteral("."));
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
bool TMainForm::StoreMainItems(TFormNew& dialog) {
    if (!m_dm) {
        return false;
    }
    const QString name = dialog.name();
    m_dm->SavedListSql = m_dm->Qrypelk.sql();
    engine::Query& scratch = m_dm->tempquery;

    bool duplicate = false;
    try {
        m_dm->OpenQueryText(scratch, QStringLiteral("select * from pelk where item_3='") + QuoteSql(name) +
                                         QStringLiteral("'"));
        for (scratch.first(); !scratch.eof(); scratch.next()) {
            if (scratch.asString(QStringLiteral("item_4")).trimmed() != OldNumber ||
                scratch.asString(QStringLiteral("item_dqdm")).trimmed() != OldDqdm) {
                duplicate = true;
                break;
            }
        }
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return false;
    }
    if (duplicate) {
        platform::showMessage(this, QStringLiteral("提示信息"), QStringLiteral("已有同名项目!"),
                              Icon::Information);
        finishChange(OldNumber);
        return true;
    }

    const QString year = dialog.yearText().trimmed();
    const QHash<QString, QVariant> oldKey = {{QStringLiteral("old_4"), OldNumber},
                                             {QStringLiteral("old_dqdm"), OldDqdm}};
    QString newNumber = OldNumber;
    QString evaluation;
    try {
        if (year != OldNumber.left(4)) {
            newNumber = NextNumber(year);
            if (newNumber.isEmpty()) {
                return false;
            }
        }
        scratch.close();
        scratch.setSql(QStringLiteral("select * from pelk where item_4=:old_4 and item_dqdm=:old_dqdm"));
        scratch.clearParams();
        for (auto it = oldKey.cbegin(); it != oldKey.cend(); ++it) {
            scratch.setParam(it.key(), it.value());
        }
        scratch.open();
        if (scratch.isEmpty()) {
            // The achievement went away meanwhile: nothing to change.
            finishChange(OldNumber);
            return true;
        }
        evaluation = scratch.asString(QStringLiteral("ITEM_21")).trimmed();
        scratch.clearParams();
    } catch (const EngineError& e) {
        scratch.clearParams();
        showEngineError(e.message());
        return false;
    }

    // The main record first, in one write: when it fails (a name too long, a character GBK
    // cannot hold) nothing has changed, and the children are never left under a number that
    // no achievement carries.
    const QString category = QString::number(dialog.category() + 1);
    QHash<QString, QVariant> values = oldKey;
    QStringList assignments;
    const auto assign = [&](const QString& field, const QString& value) {
        assignments.append(field + QStringLiteral("=:new_") + field);
        values.insert(QStringLiteral("new_") + field, value);
    };
    assign(QStringLiteral("item_cglb"), category);
    if (category == QLatin1String("1")) {
        assign(QStringLiteral("item_210"), QString());
        assign(QStringLiteral("item_200"), QString());
        static const QStringList appliedForms = {QStringLiteral("1"), QStringLiteral("2"),
                                                 QStringLiteral("3"), QStringLiteral("5"),
                                                 QStringLiteral("9")};
        if (!appliedForms.contains(evaluation)) {
            assign(QStringLiteral("item_21"), QString());
        }
    } else {
        for (const char* field :
             {"item_123", "item_124_1", "item_16", "item_33", "item_32", "item_32_1", "item_125_1"}) {
            assign(QString::fromLatin1(field), QString());
        }
        static const QStringList otherForms = {QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("6"),
                                               QStringLiteral("9")};
        if (!otherForms.contains(evaluation)) {
            assign(QStringLiteral("item_21"), QString());
        }
    }
    assign(QStringLiteral("item_4"), newNumber);
    assign(QStringLiteral("item_120"), dialog.registration().trimmed());
    assign(QStringLiteral("item_3"), name);
    assign(QStringLiteral("item_9"), dialog.unit());
    try {
        engine::executeSql(m_dm->DataPath,
                           QStringLiteral("update pelk set ") + assignments.join(QStringLiteral(", ")) +
                               QStringLiteral(" where item_4=:old_4 and item_dqdm=:old_dqdm"),
                           values);
    } catch (const EngineError& e) {
        showEngineError(e.message());
        SyncFiltersFromDialog();
        reopenSavedList();
        return false;
    }
    addYearToList(newNumber);

    // Only the rows of this achievement's own key pair follow it to the new number.
    if (newNumber != OldNumber) {
        for (const QString& table : childTables()) {
            try {
                engine::executeSql(m_dm->DataPath,
                                   QStringLiteral("update ") + table +
                                       QStringLiteral(" set item_4=:new_4, item_dqdm=:old_dqdm"
                                                      " where item_4=:old_4 and item_dqdm=:old_dqdm"),
                                   {{QStringLiteral("new_4"), newNumber},
                                    {QStringLiteral("old_4"), OldNumber},
                                    {QStringLiteral("old_dqdm"), OldDqdm}});
            } catch (const EngineError& e) {
                showEngineError(e.message());
            }
        }
    }
    finishChange(newNumber);
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
    for (const QString& table : childTables()) {
        try {
            engine::executeSql(m_dm->DataPath,
                               QStringLiteral("delete from ") + table +
                                   QStringLiteral(" where item_4=:item_4 and item_dqdm=:item_dqdm"),
                               {{QStringLiteral("item_4"), number}, {QStringLiteral("item_dqdm"), dqdm}});
        } catch (const EngineError& e) {
            // The achievement stays, with what is left of its rows, so the delete can be repeated.
            showEngineError(e.message());
            return;
        }
    }
    DeleteMainRecord(number, dqdm);
    RenumberList();
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
