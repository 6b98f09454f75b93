#pragma once

#include "print/formvalues.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>

namespace Ui {
class TPrintForm;
}

namespace tamsel::core {
class TDM;
}

namespace tamsel::print {

// The print dialog: Word documents of the current achievement from the main panel (Panel5),
// and the way to the report pages (Panel1 … Panel4). The caller says which achievement is
// current; the dialog reads it from the data module's folder.
class TPrintForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrintForm(core::TDM& dm, QWidget* parent = nullptr);
    ~TPrintForm() override;

    Ui::TPrintForm* ui() const { return m_ui.get(); }

    // The achievement to print and its category (ITEM_CGLB; anything but "1" is the second group).
    void setAchievement(const AchievementKey& key, const QString& category);
    AchievementKey achievement() const { return m_key; }
    bool appliedTechnology() const { return m_category == u"1"; }

    // Where documents are written: the user's Documents/Tamsel unless set (tests).
    void setOutputFolder(const QString& folder) { m_outputFolder = folder; }
    // The folders searched for templates: the data folder, then the program's own.
    QStringList templateFolders() const;

    // FormShow, then modal.
    int Execute();

public slots:
    void FormShow();
    void YY_ButtonClick();
    void RJ_ButtonClick();
    void YY_SButtonClick();
    void RJ_SButtonClick();
    void Button5Click();
    void Button6Click();
    void Button7Click(); // 自定义打印
    void Button4Click(); // 直接打印
    void Button3Click(); // 退出
    void BackFromPanel2();
    void BackFromPanel1();

private:
    void showPanel(QWidget* panel);
    void outputWord(WordButton button);
    Prefetched prefetched() const;

    core::TDM* m_dm;
    std::unique_ptr<Ui::TPrintForm> m_ui;
    AchievementKey m_key;
    QString m_category;
    QString m_outputFolder;
};

} // namespace tamsel::print
