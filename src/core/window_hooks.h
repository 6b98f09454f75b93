#pragma once

#include <QString>
#include <functional>

class QLineEdit;

namespace tamsel::core {

// The windows of the entry, units, exchange and print libraries sit above core, so the main
// window reaches them through these hooks; the program's start-up (src/app) sets them when it
// creates the windows. An unset hook means the window has not been built yet: the button does
// nothing.
struct WindowHooks {
    // Page buttons: load the page from the current achievement of Qrypelk and show it modally.
    // The main window has already made sure that an achievement is current (and, for the list
    // pages, reopened the child query).
    std::function<void()> page01, page02, page03, page04, page05, page07, page08, page09;
    // "单位情况": load the unit profile from unit.dbf and show it modally.
    std::function<void()> unitProfile;
    std::function<void()> importDialog, exportDialog, printDialog, codeManage;
    // A page's "帮助": shows the help window of that class name ("THelpCggk", "THelpForm_rj", ...).
    std::function<void(const QString& helpWindow)> showHelp;
    // The classification picker for one target edit over one code table file; the dialog result.
    std::function<int(QLineEdit* target, const QString& tableFile)> pickClass;
};

} // namespace tamsel::core
