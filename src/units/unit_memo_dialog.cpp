// UnitMemoDialog: a text window editing one memo field of the unit record.
#include "units/unit_memo_dialog.h"

#include "core/data_module.h"
#include "core/field_check.h"
#include "core/field_limits.h"
#include "core/main_form.h"
#include "core/option_controls.h"
#include "engine/error.h"
#include "platform/prompt.h"
#include "units/unit_record.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace tamsel::units {

using core::ReplaceTabs;

UnitMemoDialog::UnitMemoDialog(core::TDM& dm, QString field, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_field(std::move(field)) {}

UnitMemoDialog::~UnitMemoDialog() = default;

void UnitMemoDialog::attach(QPlainTextEdit* memo, QPushButton* save, QPushButton* quit) {
    m_memo = memo;
    m_memo->setAccessibleName(windowTitle());
    connect(save, &QPushButton::clicked, this, &UnitMemoDialog::Button1Click);
    connect(quit, &QPushButton::clicked, this, &UnitMemoDialog::Button2Click);
}

int UnitMemoDialog::Open(const QString& text) {
    m_memo->setPlainText(text);
    m_memo->setFocus();
    return platform::showModal(this);
}

void UnitMemoDialog::Button1Click() {
    // The exchange files are tab-separated.
    const QString text = ReplaceTabs(m_memo->toPlainText());
    engine::Dataset& unit = m_dm.Tblunit;
    try {
        beginUnitEdit(unit);
        core::limitToFields(this, unit, {{m_memo, m_field}});
        unit.setValue(m_field, text);
        unit.post();
    } catch (const engine::EngineError& e) {
        cancelQuietly(unit);
        core::showStoreError(this, e.message());
        return;
    }
    if (m_pageMemo) {
        m_pageMemo->setPlainText(text);
    }
}

void UnitMemoDialog::Button2Click() {
    done(QDialog::Rejected);
}

} // namespace tamsel::units
