#pragma once

#include "exchange/codetables.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class TFcodeManage;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::exchange {

// Code maintenance ("代码管理"): refreshes the project-source sub-classes, the two
// classifications and the supervising ministries from an archive or a table file.
class TFcodeManage : public QDialog {
    Q_OBJECT
public:
    TFcodeManage(core::TDM& dm, core::TMainForm& main, QWidget* parent = nullptr);
    ~TFcodeManage() override;
    Ui::TFcodeManage* ui() const { return m_ui.get(); }

    // The file dialog (OpenDialog1): returns the chosen path, empty on cancel. Tests replace it.
    std::function<QString(const QString& title)> OpenDialog1;

    int Execute();

public slots:
    void Button4Click();  // DFJHXX.ARJ
    void Button2Click();  // DFJHZDXX.DBF
    void Button6Click();  // ZTFLB.ARJ
    void Button7Click();  // ZTFLH.DBF
    void Button8Click();  // XKFLB.ARJ
    void Button9Click();  // XKFL.DBF
    void Button10Click(); // LSBWB.ARJ
    void Button11Click(); // LSBW.DBF
    void Button3Click();  // 退出

private:
    void updateFromArchive(CodeTable table, QLineEdit* edit);
    void updateByCopy(CodeTable table);
    // Closes every data-module table on the file, so it can be replaced.
    void closeTable(CodeTable table);
    // Opens the table again (after success, failure or cancel alike) and lets the windows
    // that list its rows see the new ones.
    void reopenTable(CodeTable table, bool replaced);
    void showError(const QString& message);

    std::unique_ptr<Ui::TFcodeManage> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
};

} // namespace tamsel::exchange
