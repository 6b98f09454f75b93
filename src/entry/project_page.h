#pragma once

#include "core/entry_page.h"

#include <QList>
#include <QString>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace Ui {
class TFpage3;
}

namespace tamsel::engine {
class Dataset;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {

// 课题立项，评价情况: where the project came from, its funding by source and how the
// achievement was evaluated. Works on the current achievement of Qrypelk.
class TFpage3 : public core::EntryPage {
    Q_OBJECT
public:
    TFpage3(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFpage3() override;

    Ui::TFpage3* ui() const { return m_ui.get(); }

    // Fills the page from the current achievement; false when there is none.
    bool LoadFromRecord();
    // Loads the page and shows it modally (the main window's page button).
    int Execute();

    // Fills the plan list with the plans of one source from the plan dictionary; without any,
    // list and label are hidden. A blank entry ends the list unless withoutBlank.
    void GetItem41List(engine::Dataset& table, const QString& source, bool withoutBlank, QLabel* label,
                       QComboBox* list);
    // The checks of 储存 and 退出; false after showing the first failing rule's message.
    bool validate() override;
    // True when a value that 储存 would write differs from the record (the compared items).
    bool differsFromRecord() override;
    bool store() override;
    // The category's evaluation-method list (cb_21 for applied technology, else cb_21_l).
    QComboBox* methodList() const;
    // The source boxes of Pl_126, in panel order.
    QList<QCheckBox*> sourceBoxes() const;
    // Whether 国家计划 makes the project number and name required.
    bool nationalRequired() const { return m_nationalRequired; }

public slots:
    void FormShow();
    void BtnSaveClick(); // 储存
    void BtnHelpClick(); // 帮助
    void BtnQuitClick(); // 退出
    void BtnClear140Click();
    // A source box was clicked (or checked by the program, as a click would).
    void SourceClick(QCheckBox* box);
    // A national-programme button was checked.
    void ProgrammeClick();
    // 省级投入, 地级投入, 县级投入 changed.
    void LocalAmountChange();
    // 地方投入 or one of the other amounts changed.
    void TotalAmountChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Amount {
        QLineEdit* edit;
        const char* field;
        QString label;
    };
    QList<Amount> amounts() const;    // every funding edit, in the order a save writes them
    QList<Amount> localParts() const; // 省级, 地级, 县级
    QList<Amount> totalParts() const; // the eight that make up 总计
    bool isApplied() const;
    void setNationalRequired(bool on);
    void setPlanListVisible(bool visible);
    // Checks the amounts (a malformed one becomes "0" after a warning) and returns their sum.
    double checkedSum(const QList<Amount>& parts, const QString& prefix);
    QString recordValue(const char* field) const;

    std::unique_ptr<Ui::TFpage3> m_ui;
    bool m_nationalRequired = false;
    bool m_summing = false;
};

} // namespace tamsel::entry
