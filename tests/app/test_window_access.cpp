// Every window as a screen reader sees it and as it fits on the screen: controls named by their
// labels, pages of the fixed size with nothing outside, grid columns as wide as what they show.

#include "core/page_helpers.h"
#include "engine/query.h"
#include "support/programwindows.h"
#include "support/testmain.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>

using namespace tamsel;

namespace {

// The windows with controls to name, as the program makes them.
const QStringList kWindows{
    QStringLiteral("TMainForm"),   QStringLiteral("TFormNew"), QStringLiteral("Tformformat"),
    QStringLiteral("TFpage1"),     QStringLiteral("TFpage2"),  QStringLiteral("TFpage3"),
    QStringLiteral("TFpage4"),     QStringLiteral("TFpage4a"), QStringLiteral("Tdw_Form"),
    QStringLiteral("TFpage5"),     QStringLiteral("TFinto5"),  QStringLiteral("TFpage6"),
    QStringLiteral("TFinto6"),     QStringLiteral("TFpage7"),  QStringLiteral("TFinto7"),
    QStringLiteral("TFpage8"),     QStringLiteral("TFinto8"),  QStringLiteral("TFpage9"),
    QStringLiteral("TFpage10"),    QStringLiteral("TFpage11"), QStringLiteral("TFinto11"),
    QStringLiteral("TFpage12"),    QStringLiteral("TFormWcr"), QStringLiteral("TFormTree"),
    QStringLiteral("TPrintForm"),  QStringLiteral("TFormout"), QStringLiteral("TFormin"),
    QStringLiteral("TFcodeManage")};

// The pages, all of the fixed page size.
const QStringList kPages{QStringLiteral("TFpage1"), QStringLiteral("TFpage2"),  QStringLiteral("TFpage3"),
                         QStringLiteral("TFpage4"), QStringLiteral("TFpage4a"), QStringLiteral("TFpage5"),
                         QStringLiteral("TFpage6"), QStringLiteral("TFpage7"),  QStringLiteral("TFpage8"),
                         QStringLiteral("TFpage9"), QStringLiteral("TFpage10"), QStringLiteral("TFpage11"),
                         QStringLiteral("TFpage12")};

bool isInputControl(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (qobject_cast<const QLineEdit*>(w)) {
        if (qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent))
            return false;
    } else if (!qobject_cast<const QComboBox*>(w) && !qobject_cast<const QAbstractSpinBox*>(w) &&
               !qobject_cast<const QPlainTextEdit*>(w) && !qobject_cast<const QTextEdit*>(w)) {
        return false;
    }
    for (const QWidget* p = parent; p; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractItemView*>(p))
            return false;
    }
    return true;
}

// True when the widget lies in a scrolled area of the page, shown by scrolling.
bool isScrolled(const QWidget* widget, const QWidget* page) {
    for (const QWidget* p = widget->parentWidget(); p && p != page; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(p))
            return true;
    }
    return false;
}

// A label's words as a name: without "&", a trailing colon and the mandatory star.
QString bare(QString text) {
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    while (text.endsWith(QChar(0xFF1A)) || text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char('*')))
        text = text.chopped(1).trimmed();
    while (text.startsWith(QLatin1Char('*')))
        text = text.mid(1).trimmed();
    return text;
}

} // namespace

class TestWindowAccess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_program = std::make_unique<test::ProgramWindows>(); }
    void cleanupTestCase() { m_program.reset(); }
    void controlsNamedByTheirLabels_data();
    void controlsNamedByTheirLabels();
    void pagesFitTheirSize_data();
    void pagesFitTheirSize();
    void gridColumnsFitTheirContent_data();
    void gridColumnsFitTheirContent();

private:
    std::unique_ptr<test::ProgramWindows> m_program;
};

void TestWindowAccess::controlsNamedByTheirLabels_data() {
    QTest::addColumn<QString>("window");
    // "control=name" where the label is not the control's buddy.
    QTest::addColumn<QStringList>("names");
    const QHash<QString, QStringList> names{
        {QStringLiteral("TFinto8"),
         {QStringLiteral("cbry_181=性别"), QStringLiteral("cbry_183=技术职称"),
          QStringLiteral("cbry_184=文化程度"), QStringLiteral("cbry_188=是否留学归国")}},
        {QStringLiteral("TFinto11"), {QStringLiteral("Edt_both_1=出生年份")}},
        {QStringLiteral("TFpage2"),
         {QStringLiteral("edt_51_3=授权项数"), QStringLiteral("Edt_151_1=自行转化效益:  净利润（万元）")}},
    };
    for (const QString& window : kWindows)
        QTest::newRow(qPrintable(window)) << window << names.value(window);
}

void TestWindowAccess::controlsNamedByTheirLabels() {
    QFETCH(QString, window);
    QFETCH(QStringList, names);
    QWidget* w = m_program->window(window);
    QHash<QString, QString> expected;
    for (const QString& pair : names)
        expected.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    for (const QLabel* label : w->findChildren<QLabel*>()) {
        if (label->buddy() && isInputControl(label->buddy()) &&
            !expected.contains(label->buddy()->objectName()))
            expected.insert(label->buddy()->objectName(), bare(label->text()));
    }
    // A part of a labelled item may add what it holds: "研究终止日期 年", "优势学科1".
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString name = test::control(w, it.key())->accessibleName();
        QVERIFY2(name.startsWith(it.value()), qPrintable(it.key() + QLatin1Char('=') + name));
    }
    for (QWidget* control : w->findChildren<QWidget*>()) {
        if (!isInputControl(control))
            continue;
        const QString what = window + QLatin1Char('.') + control->objectName();
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(what));
        // What a screen reader hears: the name, and a list's entry only as its value.
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(face, qPrintable(what));
        QCOMPARE(face->text(QAccessible::Name), control->accessibleName());
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && !combo->isEditable())
            QCOMPARE(face->text(QAccessible::Value), combo->currentText());
    }
}

void TestWindowAccess::pagesFitTheirSize_data() {
    QTest::addColumn<QString>("window");
    for (const QString& page : kPages)
        QTest::newRow(qPrintable(page)) << page;
}

void TestWindowAccess::pagesFitTheirSize() {
    QFETCH(QString, window);
    m_program->open(window, [](QWidget* page) {
        QCOMPARE(page->size(), QSize(800, 600));
        const QSize least = page->minimumSizeHint();
        QVERIFY2(least.width() <= 800 && least.height() <= 600,
                 qPrintable(QStringLiteral("%1×%2").arg(least.width()).arg(least.height())));
        for (QWidget* child : page->findChildren<QWidget*>()) {
            if (!child->isVisible() || child->objectName().isEmpty() || child->objectName().startsWith("qt_"))
                continue;
            const QRect area(child->mapTo(page, QPoint(0, 0)), child->size());
            QVERIFY2(page->rect().contains(area) || isScrolled(child, page), qPrintable(child->objectName()));
            if (auto* memo = qobject_cast<QPlainTextEdit*>(child))
                QVERIFY2(memo->viewport()->height() >= 3 * core::textLineHeight(memo->font()),
                         qPrintable(child->objectName()));
        }
    });
}

void TestWindowAccess::gridColumnsFitTheirContent_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QStringList>("longColumns");
    QTest::newRow("completers") << "TFpage8"
                                << "cgwcr.DBF"
                                << QStringList{"ITEM_187=1",
                                               "ITEM_180=欧阳建国",
                                               "ITEM_181=0",
                                               "ITEM_182=1965-03",
                                               "ITEM_183=2",
                                               "ITEM_184=2",
                                               "ITEM_185=中国科学院长春光学精密机械与物理研究所",
                                               "ITEM_186=总体方案设计、关键技术攻关和样机研制与试验验证",
                                               "ITEM_188=0"}
                                << QStringList{"对成果创造性贡献"};
    QTest::newRow("cooperating units")
        << "TFpage5"
        << "cgwcdw.DBF"
        << QStringList{"ITEM_176=1",
                       "ITEM_170=中国科学院长春光学精密机械与物理研究所",
                       "ITEM_171=吉林省长春市经济技术开发区东南湖大路三八八八号",
                       "ITEM_172=130033",
                       "ITEM_173=王小明",
                       "ITEM_174=0431-86176000"}
        << QStringList{"详细通信地址"};
    QTest::newRow("committee")
        << "TFpage7"
        << "jdwyhmd.DBF"
        << QStringList{"ITEM_190=1",        "ITEM_191=主任委员",
                       "ITEM_192=欧阳建国", "ITEM_193=0",
                       "ITEM_194=1",        "ITEM_195=中国科学院长春光学精密机械与物理研究所",
                       "ITEM_196=光学工程", "ITEM_197=精密仪器及机械",
                       "ITEM_198=2"}
        << QStringList{};
    QTest::newRow("patents")
        << "TFpage6"
        << "zlqk.dbf"
        << QStringList{"ITEM_NO=1", "PATENT_NO=ZL200910012345.6",
                       "PATENT_NAM=一种大口径光学元件面形误差的高精度在线检测装置及其检测方法", "PATENT_ST=2",
                       "PATENT_TY=1"}
        << QStringList{"专利名称"};
}

void TestWindowAccess::gridColumnsFitTheirContent() {
    QFETCH(QString, window);
    QFETCH(QString, table);
    QFETCH(QStringList, row);
    QFETCH(QStringList, longColumns);
    // The list is opened empty first: its columns must follow the rows added afterwards.
    m_program->open(window, [](QWidget*) {});
    QHash<QString, QVariant> values{
        {QStringLiteral("ITEM_4"), QString::fromLatin1(test::ProgramWindows::kNumber)},
        {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}};
    for (const QString& pair : row)
        values.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    m_program->append(table, values);
    m_program->open(window, [&longColumns](QWidget* page) {
        QCoreApplication::processEvents();
        auto* grid = page->findChild<QTableView*>();
        QVERIFY(grid);
        QCOMPARE(grid->model()->rowCount(), 1);
        const QHeaderView* header = grid->horizontalHeader();
        const QAbstractItemView* view = grid;
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            if (grid->isColumnHidden(c))
                continue;
            const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
            const QModelIndex cell = grid->model()->index(0, c);
            QVERIFY2(grid->columnWidth(c) >= header->sectionSizeHint(c), qPrintable(title));
            if (longColumns.contains(title))
                QCOMPARE(cell.data(Qt::ToolTipRole).toString(), cell.data().toString());
            else
                QVERIFY2(grid->columnWidth(c) >= view->sizeHintForColumn(c),
                         qPrintable(QStringLiteral("%1: %2 < %3")
                                        .arg(title)
                                        .arg(grid->columnWidth(c))
                                        .arg(view->sizeHintForColumn(c))));
        }
    });
}

TAMSEL_TEST(TestWindowAccess)
#include "test_window_access.moc"
