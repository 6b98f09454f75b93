// Tformadvantage: the unit profile's text "研发优势简要说明".
#include "units/unit_advantage_dialog.h"

#include "core/keyboard.h"

#include "ui_unit_advantage_dialog.h"

namespace tamsel::units {

Tformadvantage::Tformadvantage(core::TDM& dm, QWidget* parent)
    : UnitMemoDialog(dm, QStringLiteral("advantage"), parent), m_ui(std::make_unique<Ui::Tformadvantage>()) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("Tformadvantage"));
    attach(m_ui->Memo1, m_ui->Button1, m_ui->Button2);
}

Tformadvantage::~Tformadvantage() = default;

} // namespace tamsel::units
