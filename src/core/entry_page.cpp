// The base of the entry pages: the leave flow with its question, placement, help, the engine
// error box and the page button's done mark.
#include "core/entry_page.h"

#include "core/field_check.h"
#include "core/keyboard.h"
#include "core/main_form.h"
#include "core/page_helpers.h"
#include "engine/error.h"
#include "platform/placement.h"
#include "platform/prompt.h"

#include <QCloseEvent>
#include <QPushButton>

namespace tamsel::core {

EntryPage::EntryPage(TDM& dm, TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_main(mainForm) {
    // No close box: the page is left through 退出, which offers to save.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(kPageWidth, kPageHeight);
    keyboard::prepare(this);
}

void EntryPage::reject() {
    keyboard::pressExit(this);
}

void EntryPage::closeEvent(QCloseEvent* event) {
    event->ignore();
}

EntryPage::Leave EntryPage::leave() {
    if (!checkBeforeLeaving())
        return Leave::Stay;
    bool differs = false;
    try {
        differs = differsFromRecord();
    } catch (const engine::EngineError& e) {
        showEngineError(e.message());
        return Leave::Stay;
    }
    if (!differs)
        return Leave::Unchanged;
    if (!platform::askYesNo(this, QStringLiteral("请注意！"), QStringLiteral("记录已经更改,是否保存？")))
        return Leave::Declined;
    // A failed store keeps the page open so nothing typed is lost.
    return store() ? Leave::Stored : Leave::Stay;
}

void EntryPage::placePage() {
    platform::placePage(this, kPageWidth, kPageHeight);
}

void EntryPage::holdPageSize() {
    if (size() != QSize(kPageWidth, kPageHeight))
        resize(kPageWidth, kPageHeight);
}

void EntryPage::showHelp(const QString& topic) const {
    if (m_main.Hooks.showHelp)
        m_main.Hooks.showHelp(topic);
}

void EntryPage::showEngineError(const QString& message) {
    showStoreError(this, message);
}

void EntryPage::markDone(const QString& pageCode) const {
    TMainForm::setPageDone(m_main.pageButton(pageCode), true);
}

} // namespace tamsel::core
