#pragma once

#include <QDialog>
#include <QList>
#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFormWcr;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::people {

// "快速添加": picks persons of the pool (cgwcrNew.dbf) and adds them to the current
// achievement's completers.
class TFormWcr : public QDialog {
    Q_OBJECT
public:
    TFormWcr(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFormWcr() override;

    Ui::TFormWcr* ui() const { return m_ui.get(); }
    core::childlist::GridModel* gridModel() const { return m_model; }
    int Execute();
    // Selects pool rows (0-based, in the pool's order) as a Ctrl-click would.
    void selectRows(const QList<int>& rows);
    QList<int> selectedRows() const;

public slots:
    void FormShow();
    void BitBtn1Click(); // 添加到项目中
    void Button1Click(); // 删除
    void BitBtn5Click(); // 退出

private:
    void showSelectedCount();
    // Copies the pool's rows into the completers table for the current achievement.
    void addRows(const QList<int>& rows, bool showProgress);

    std::unique_ptr<Ui::TFormWcr> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
    core::childlist::GridModel* m_model = nullptr;
};

} // namespace tamsel::people
