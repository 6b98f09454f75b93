#include "units/unitmemodialog.h"

#include "core/datamodule.h"
#include "core/mainform.h"
#include "engine/error.h"
#include "platform/prompt.h"
#include "units/unitrecord.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace tamsel::units {

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
    const QString text = core::TMainForm::ReplaceTabs(m_memo->toPlainText());
    engine::Dataset& unit = m_dm.Tblunit;
    try {
        beginUnitEdit(unit);
        unit.setValue(m_field, text);
        unit.post();
    } catch (const engine::EngineError& e) {
        cancelQuietly(unit);
        platform::showBox(this, {QStringLiteral("提示"), e.message(), platform::Icon::Warning, platform::Ok});
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
