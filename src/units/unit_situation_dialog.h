#pragma once

#include "core/entry_page.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>

class QComboBox;

namespace Ui {
class Tdw_Form;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::units {

class TFpage4;

// The registering unit's situation kept in dwqk (one record), copied into an achievement's
// first completing unit on request.
class Tdw_Form : public core::EntryPage {
    Q_OBJECT
public:
    Tdw_Form(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~Tdw_Form() override;

    Ui::Tdw_Form* ui() const { return m_ui.get(); }
    // The first completing unit page that takes the record in after each store.
    void setPage(TFpage4* page) { m_page = page; }

    // Fills the dialog from the dwqk record (empty when there is none). Throws engine::EngineError.
    void LoadFromDwqk();
    // Loads and shows the dialog modally. Throws engine::EngineError when dwqk cannot be read.
    int Execute();

    void setEnterpriseEnabled(bool enabled);
    void setConverted(bool checked);
    // The first failing check's message; empty when the dialog may be stored.
    QString CheckMessage() const;
    // True when the dialog shows something other than the dwqk record. Throws engine::EngineError.
    bool differsFromRecord() override;
    // Shows the first failing check's message; false when there is one.
    bool validate() override;
    // Stores the dialog into dwqk and closes it; false (the dialog open) when nothing was stored.
    bool store() override;
    // The values to store, by dwqk field name, in the table's column order.
    QList<std::pair<QString, QVariant>> Values() const;

public slots:
    void FormShow();
    void cb_62Change();
    void Button1Click(); // 存储
    void Button2Click(); // 退出

private:
    QString recordValue(const QString& field) const;

    std::unique_ptr<Ui::Tdw_Form> m_ui;
    TFpage4* m_page = nullptr;
};

} // namespace tamsel::units
