#pragma once

#include <QDialog>
#include <QString>

namespace tamsel::core {

class TDM;
class TMainForm;

// An entry page: one record's items on a window of the fixed page size, left only through its
// 退出 button. Every page spells its steps the same way: validate (the checks before storing),
// differsFromRecord (the page shows something else than the record holds) and store.
class EntryPage : public QDialog {
public:
    EntryPage(TDM& dm, TMainForm& mainForm, QWidget* parent);

    // The checks before storing; false after telling the user what is wrong.
    virtual bool validate() { return true; }
    virtual bool differsFromRecord() = 0;
    // Writes the page into its record; false after telling the user, the record as it was.
    virtual bool store() = 0;

    // Esc runs 退出, which may offer to save first; the page never just closes.
    void reject() override;

protected:
    // The checks 退出 runs before anything else; false keeps the page open.
    virtual bool checkBeforeLeaving() { return validate(); }
    enum class Leave { Stay, Unchanged, Declined, Stored };
    // The leave flow of 退出: check, compare with the record, ask "记录已经更改,是否保存？" and
    // store on 是. Stay when the page must stay open (a check or the store failed).
    Leave leave();
    // The fixed page size, centred on the screen.
    void placePage();
    // Undoes any resize away from the fixed page size.
    void holdPageSize();
    // Shows a help topic when the program has help.
    void showHelp(const QString& topic) const;
    // Shows an engine error the way every page does: a value its field cannot hold is told by
    // the label of the control it came from, which then takes the focus.
    void showEngineError(const QString& message);
    // Marks the page's button in the main window done ("01" … "09").
    void markDone(const QString& pageCode) const;

    void closeEvent(QCloseEvent* event) override;

    TDM& m_dm;
    TMainForm& m_main;
};

} // namespace tamsel::core
