#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "core/child_list.h"

class QLineEdit;

namespace Ui {
class TFpage10;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {
class TFormTree;
}

namespace tamsel::units {

class TFpage11;

// The second-level units of the registering unit ("二级单位情况"): further records of unit.dbf
// below the unit, listed through the unit query narrowed to them. The edits always show the
// row they will be stored into.
class TFpage10 : public core::childlist::ListPage {
    Q_OBJECT
public:
    // The picker and the discipline-leader list are the shared windows; without them the page
    // makes its own.
    TFpage10(core::TDM& dm, core::TMainForm& mainForm, entry::TFormTree* picker = nullptr,
             TFpage11* leaders = nullptr, QWidget* parent = nullptr);
    ~TFpage10() override;

    Ui::TFpage10* ui() const { return m_ui.get(); }
    TFpage11* leaders() const { return m_leaders; }
    entry::TFormTree* picker() const { return m_picker; }
    // The code of the unit whose data the edits show; empty when there is none.
    QString shownCode() const { return m_shownCode; }

    // Narrows the unit query to the second-level units of the unit record and fills the page.
    // False (after showing the error) when the query could not be opened.
    bool Load();
    // Loads the page and shows it modally; afterwards the unit query lists every unit again.
    int Execute();
    // Lets the unit query list every unit row again.
    void Unload();

    // The two code items, "item_124_1" and "item_15", and their ten edits in order.
    static QStringList codeItems();
    QList<QLineEdit*> codeEdits(const QString& item) const;

public slots:
    void FormShow();
    void btnSave01Click(); // 存储
    void Button2Click();   // 增加
    void Button3Click();   // 删除
    void quit01Click();    // 退出
    void BitBtndtrClick(); // 学科带头人情况
    void Button1Click();   // 按照本单位情况填入 (hidden)
    void OpenPicker(QLineEdit* edit);

private:
    // Fills the edits from the unit query's current row (empties them when there is none).
    void showCurrentRow();
    void updateButtons();
    // Moves the unit query to the row whose data the edits show. False when it is gone.
    bool goToShownRow();
    QString collectCodeList(const QString& item) const;
    void loadCodeList(const QString& item, const QString& stored);
    bool typedCodes(const QString& item) const;

    std::unique_ptr<Ui::TFpage10> m_ui;
    std::unique_ptr<entry::TFormTree> m_ownPicker;
    entry::TFormTree* m_picker = nullptr;
    std::unique_ptr<TFpage11> m_ownLeaders;
    TFpage11* m_leaders = nullptr;
    QString m_shownCode;
    bool m_showing = false;
};

} // namespace tamsel::units
