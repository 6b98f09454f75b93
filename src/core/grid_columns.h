#pragma once

#include <QList>

class QTableView;

namespace tamsel::core {

// Sizes a grid's columns by what they hold, again whenever its rows or its width change: every
// column is at least as wide as its title and its widest entry, so names, numbers and codes are
// never cut; the long-text columns share the width that is left (at least their title's width)
// and elide their entries, whose model gives the whole text as tooltip.
void fitColumns(QTableView* grid, const QList<int>& longColumns = {});

} // namespace tamsel::core
