#pragma once

#include "core/entry_page.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace Ui {
class TFpage4a;
}

namespace tamsel::engine {
class Dataset;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {
class TFormTree;
}

namespace tamsel::units {

class TFormstudy;
class UnitMemoDialog;
class Tformadvantage;
class Tformunitintrod;

// The registering unit's profile: one record of unit.dbf, with four rows of ten
// classification codes and three free texts edited in their own windows. 储存 accepts an
// incomplete profile; only 退出 insists on the required items.
class TFpage4a : public core::EntryPage {
    Q_OBJECT
public:
    // The picker is the shared classification window; without one the page makes its own.
    TFpage4a(core::TDM& dm, core::TMainForm& mainForm, entry::TFormTree* picker = nullptr,
             QWidget* parent = nullptr);
    ~TFpage4a() override;

    Ui::TFpage4a* ui() const { return m_ui.get(); }
    TFormstudy* formStudy() const { return m_formStudy.get(); }
    Tformadvantage* formAdvantage() const { return m_formAdvantage.get(); }
    Tformunitintrod* formUnitIntrod() const { return m_formUnitIntrod.get(); }
    entry::TFormTree* picker() const { return m_picker; }

    // Fills the page from the current record of unit.dbf (empty when the table is empty).
    void LoadFromUnit();
    // Loads the page and shows it modally: the main window's 单位情况 and the first start.
    int Execute();

    // The four code items, by field name: "item_124_2", "item_15_1", "item_124_1", "item_15".
    static QStringList codeItems();
    // The ten edits of a code item, in order 1 to 10.
    QList<QLineEdit*> codeEdits(const QString& item) const;
    // The stored form of a code item: each code followed by one blank and ";".
    QString CollectCodeList(const QString& item) const;
    // Spreads a stored code list over the item's ten edits, each code shown with its name.
    void LoadCodeList(const QString& item, const QString& stored);

    // Windows of the unit's further lists, opened once they exist.
    std::function<void()> OpenDisciplineLeaders;
    std::function<void()> OpenSecondLevelUnits;

public slots:
    void FormShow();
    void FormResize();
    void cb_62Change();
    void btnSave01Click(); // 储存
    void quit01Click();    // 退出
    void BitBtndtrClick(); // 学科带头人情况
    void Button3Click();   // 所属二级单位情况 (hidden)
    void Button4Click();   // reload the profile (hidden)
    void Button5Click();   // store the profile (hidden)
    void Memo1Click();     // 简要说明及补充
    void Memo2Click();     // 研发优势简要说明
    void Memo3Click();     // 单位简介
    // Opens the classification picker for one code edit.
    void OpenPicker(QLineEdit* edit);

    // The leave checks (shows the first failing one); false when one failed.
    bool validate() override;
    bool differsFromRecord() override;
    // Writes the page into the unit record with the stored notice.
    bool store() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct CodeItem {
        QString field;      // item_124_2
        QString editPrefix; // edt_124_2_
        QString tableFile;  // gxjs.dbf
        QString caption;    // 优势领域
    };
    static const QList<CodeItem>& items();
    const CodeItem* item(const QString& field) const;
    // Without xkfl.dbf the discipline codes are typed rather than picked.
    bool typedCodes(const CodeItem& item) const;
    engine::Dataset& classTable(const CodeItem& item) const;
    void setupCodeEdits();
    void applyCodeEntryMode();
    void setEnterpriseEnabled(bool enabled);
    // Writes the page into the unit record. False (after showing the error) when it failed.
    bool store(bool withMessage);
    // The first failing leave check's message; empty when all pass.
    QString leaveCheckMessage() const;
    void openMemo(QPlainTextEdit* pageMemo, UnitMemoDialog* dialog);

    std::unique_ptr<Ui::TFpage4a> m_ui;
    std::unique_ptr<entry::TFormTree> m_ownPicker;
    entry::TFormTree* m_picker = nullptr;
    std::unique_ptr<TFormstudy> m_formStudy;
    std::unique_ptr<Tformadvantage> m_formAdvantage;
    std::unique_ptr<Tformunitintrod> m_formUnitIntrod;
    bool m_loading = false;
};

} // namespace tamsel::units
