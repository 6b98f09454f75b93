#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

class QPushButton;

namespace tamsel::core {
class TDM;
}

namespace tamsel::units {

// A text window of the unit profile. It edits one memo field of the unit record; 保存 writes
// that field at once (even if the profile page is later left without storing) and copies the
// text back into the page's memo.
class UnitMemoDialog : public QDialog {
    Q_OBJECT
public:
    UnitMemoDialog(core::TDM& dm, QString field, QWidget* parent = nullptr);
    ~UnitMemoDialog() override;

    QString field() const { return m_field; }
    QPlainTextEdit* memo() const { return m_memo; }
    // The page memo that receives the text on 保存.
    void setPageMemo(QPlainTextEdit* pageMemo) { m_pageMemo = pageMemo; }
    // Shows the dialog modally, editing text.
    int Open(const QString& text);

public slots:
    void Button1Click(); // 保存
    void Button2Click(); // 退出

protected:
    // Called by each window's constructor once its controls exist.
    void attach(QPlainTextEdit* memo, QPushButton* save, QPushButton* quit);

private:
    core::TDM& m_dm;
    QString m_field;
    QPlainTextEdit* m_memo = nullptr;
    QPointer<QPlainTextEdit> m_pageMemo;
};

} // namespace tamsel::units
