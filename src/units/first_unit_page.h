#pragma once

#include "core/entry_page.h"

#include <QString>
#include <memory>

class QComboBox;

namespace Ui {
class TFpage4;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::units {

class Tdw_Form;

// The first completing unit of the current achievement: name, codes, address, telephones, unit
// type, province, ministry and contacts, all stored in the achievement record itself. The page
// starts from the registering unit's profile when the achievement names that unit.
class TFpage4 : public core::EntryPage {
    Q_OBJECT
public:
    // The unit-situation dialog is the shared window; without one the page makes its own.
    TFpage4(core::TDM& dm, core::TMainForm& mainForm, Tdw_Form* dwForm = nullptr, QWidget* parent = nullptr);
    ~TFpage4() override;

    Ui::TFpage4* ui() const { return m_ui.get(); }
    Tdw_Form* dwForm() const { return m_dwForm; }

    // Fills the page from the current achievement of Qrypelk (and the unit profile when the
    // achievement names the registering unit). False when there is no current achievement.
    bool LoadFromAchievement();
    // The main window's page button: loads the page, shows it modally, and lets the main window
    // re-evaluate the achievement's pages once it has closed.
    int Execute();

    // The first failing check's message; empty when the page may be stored.
    QString CheckMessage() const;
    // True when the page shows something other than the achievement record (the transfer
    // contacts are not compared).
    bool differsFromRecord() override;
    // Shows the first failing check's message; false when there is one.
    bool validate() override;
    // Validates and writes the page into the achievement. False when nothing was written.
    bool store() override;

public slots:
    void FormShow();
    void FormResize();
    void cb_62Change();
    void btnSave01Click(); // 储存
    void quit01Click();    // 退出
    void Button3Click();   // 帮助
    void Button1Click();   // 按照本单位情况填入 (hidden)
    void Button2Click();   // 设置单位基本情况 (hidden)

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setEnterpriseEnabled(bool enabled);
    void fillLists();

    std::unique_ptr<Ui::TFpage4> m_ui;
    std::unique_ptr<Tdw_Form> m_ownDwForm;
    Tdw_Form* m_dwForm = nullptr;
};

} // namespace tamsel::units
