#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TFpage6;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {

class TFinto6;
class PatentGridModel;

// The patents of the current achievement in a read-only grid, with new, change and delete. The
// intellectual-property page narrows the patents table to the achievement before showing it.
class TFpage6 : public QDialog {
    Q_OBJECT
public:
    // The dialog is the shared patent dialog; without one the list makes its own.
    TFpage6(core::TDM& dm, core::TMainForm& mainForm, TFinto6* dialog = nullptr, QWidget* parent = nullptr);
    ~TFpage6() override;

    Ui::TFpage6* ui() const { return m_ui.get(); }
    // The patent dialog; made on first use when none was handed over.
    TFinto6* dialog();
    void setDialog(TFinto6* dialog) { m_dialog = dialog; }
    PatentGridModel* gridModel() const { return m_model; }

    // Set by the intellectual-property page: its patent summary refresh, and the recounted
    // numbers of applied-for and granted patents written on closing.
    std::function<void()> RefreshIpControls;
    std::function<void(int applied, int granted)> ShowPatentCounts;

    // Shows the list modally.
    int Execute();

public slots:
    void FormShow();
    void FormClose();
    void btnNewClick();    // 新增
    void btnEditClick();   // 修改
    void btnDeleteClick(); // 删除
    void btnHelpClick();   // 帮助
    void btnQuitClick();   // 退出

public:
    // Esc runs 退出; the list never just closes.
    void reject() override;
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showError(const QString& message);
    void syncGridToTable();
    void onGridRowChanged(int row);

    std::unique_ptr<Ui::TFpage6> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
    std::unique_ptr<TFinto6> m_ownDialog;
    TFinto6* m_dialog = nullptr;
    PatentGridModel* m_model = nullptr;
    bool m_syncing = false;
};

} // namespace tamsel::entry
