#pragma once

#include "core/entry_page.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class QAbstractButton;
class QLineEdit;

namespace Ui {
class TFpage2;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {

class TFpage6;

// Intellectual property and application of an applied-technology achievement: the forms of
// protection with the patent summary, the application status with its reasons, the licensee
// count, incomes and benefits, promotion forms and expected investment and profit. Reads and
// writes the current record of the achievement list.
class TFpage2 : public core::EntryPage {
    Q_OBJECT
public:
    // The patents list is the shared one; without one the page makes its own.
    TFpage2(core::TDM& dm, core::TMainForm& mainForm, TFpage6* patents = nullptr, QWidget* parent = nullptr);
    ~TFpage2() override;

    Ui::TFpage2* ui() const { return m_ui.get(); }
    TFpage6* patents() const { return m_patents; }

    // Fills the page from the current achievement. False (after the warning) when it failed.
    bool LoadFromRecord();
    // Loads the page and shows it modally: the main window's page button.
    int Execute();
    // Runs the checks in order; the first failure shows its message. False when one failed.
    bool validate() override;
    bool differsFromRecord() override;
    // Validates and writes the page into the record; false when nothing was stored.
    bool store() override;

public slots:
    void FormShow();
    void FormClose();
    void RefreshIpControls();
    void cb_51_1Click(); // 专利
    void cb_51_3Click(); // 软件著作权
    void CB_32Change();
    void btnSave02Click(); // 储存
    void quit02Click();    // 退出
    void btnHelp02Click(); // 帮助
    void btnPatentClick(); // 进入填写专利
    // The recounted numbers the patents list hands back when it closes.
    void ShowPatentCounts(int applied, int granted);

public:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The application status rules; the IP transfer income is emptied only on a change.
    void applyStatus(bool onChange);
    // The values a save would write, by field name. False when a choice panel refused.
    bool pageValues(QHash<QString, QString>& values);
    // Removes the current achievement's patent rows. Throws engine::EngineError.
    void deletePatents();
    QList<QAbstractButton*> detailButtons() const;
    QList<QLineEdit*> amountEdits() const;

    std::unique_ptr<Ui::TFpage2> m_ui;
    std::unique_ptr<TFpage6> m_ownPatents;
    TFpage6* m_patents = nullptr;
    bool m_loading = false;
};

} // namespace tamsel::entry
