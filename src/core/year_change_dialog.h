#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

namespace Ui {
class Tformformat;
}

namespace tamsel::core {

class TDM;

// The year change of an incoming achievement ("修改成果年份"), opened from the import dialog:
// gives the achievement selected there (the current record of T_temp_in on pelktemp.dbf) the
// next free number of another year, in the import twins of the achievement and its child rows.
class Tformformat : public QDialog {
    Q_OBJECT
public:
    explicit Tformformat(QWidget* parent = nullptr);
    ~Tformformat() override;

    void setDataModule(TDM* dm);
    // Called whenever the import dialog should recount the incoming achievements.
    void setRefreshCounts(std::function<void()> refresh);
    Ui::Tformformat* ui() const { return m_ui.get(); }

    // FormShow, then modal.
    int showDialog();

public slots:
    void FormShow();
    void btnsaveClick(); // 保存
    void btnexitClick(); // 退出

private:
    void ShowWarning(const QString& text);
    void refreshCounts();
    // T_temp_in on pelktemp.dbf, keeping its current record when it is there already.
    void pointAtIncoming();

    std::unique_ptr<Ui::Tformformat> m_ui;
    QPointer<TDM> m_dm;
    std::function<void()> m_refreshCounts;
};

} // namespace tamsel::core
