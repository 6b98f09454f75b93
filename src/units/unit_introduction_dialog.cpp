// Tformunitintrod: the unit profile's text "单位简介".
#include "units/unit_introduction_dialog.h"

#include "core/keyboard.h"

#include "ui_unit_introduction_dialog.h"

namespace tamsel::units {

Tformunitintrod::Tformunitintrod(core::TDM& dm, QWidget* parent)
    : UnitMemoDialog(dm, QStringLiteral("unitintrod"), parent),
      m_ui(std::make_unique<Ui::Tformunitintrod>()) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("Tformunitintrod"));
    attach(m_ui->Memo1, m_ui->Button1, m_ui->Button2);
}

Tformunitintrod::~Tformunitintrod() = default;

} // namespace tamsel::units
