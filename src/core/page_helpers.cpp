// Small helpers the pages share: stored codes of list entries, the digits check, the key-pair
// filter of child rows, the page size and the colour of required items.
#include "core/page_helpers.h"

#include "core/main_form.h"
#include "engine/dataset.h"
#include "engine/gbk.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace tamsel::core {

QColor maroon() {
    return QColor(0x80, 0x00, 0x00);
}

QString maroonStyle() {
    return QStringLiteral("color: #800000;");
}

QString entryCode(const QString& entry, int bytes) {
    return engine::gbkLeft(entry, bytes).trimmed();
}

QString entryCode(const QComboBox* combo, int bytes) {
    return combo ? entryCode(combo->currentText(), bytes) : QString();
}

int textLineHeight(const QFont& font) {
    QTextLayout layout(QStringLiteral("汉字Ag"), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return std::max(QFontMetrics(font).lineSpacing(), int(std::ceil(line.height())));
}

bool allDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void filterToCurrent(engine::Dataset& data, const TMainForm& mainForm) {
    filterByKeyPair(data, mainForm.currentValue(QStringLiteral("ITEM_4")),
                    mainForm.currentValue(QStringLiteral("ITEM_DQDM")));
}

bool isAppliedTechnology(const TMainForm& mainForm) {
    // The category list holds the categories in code order, applied technology first.
    return isAppliedTechnology(QString::number(mainForm.listCategory() + 1));
}

} // namespace tamsel::core
