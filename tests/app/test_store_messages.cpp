// A value its field cannot hold (set or pasted past the edit's limit, or with a character GBK
// lacks) is refused by the label the window shows, the focus goes to it and nothing is stored.
#include "entry/certificate_page.h"
#include "entry/evalpagefixture.h"
#include "people/completer_dialog.h"
#include "people/completers_page.h"
#include "support/listfixture.h"
#include "support/testmain.h"

#include <QLineEdit>
#include <QPlainTextEdit>

using namespace tamsel;
using test::control;
using test::ScriptedUi;

namespace {

const QString kRefused = QStringLiteral("提示");

// Sets a control's text the way a paste or the program does, past any typing limit.
void setText(QWidget* window, const QString& name, const QString& text) {
    QWidget* w = control(window, name);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        memo->setPlainText(text);
    else
        static_cast<QLineEdit*>(w)->setText(text);
}

} // namespace

class TestStoreMessages : public QObject {
    Q_OBJECT
private slots:
    void refusedByLabel_data();
    void refusedByLabel();
};

void TestStoreMessages::refusedByLabel_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString han96(96, QChar(0x7814));
    QTest::newRow("completer contribution too long")
        << "TFinto8"
        << "edtry_186" << han96 << "“对成果创造性贡献”最多80个汉字（160字节），现有96个汉字";
    QTest::newRow("completer contribution, letters too")
        << "TFinto8"
        << "edtry_186" << QString(han96 + "ABC") << "“对成果创造性贡献”最多80个汉字（160字节），现有195字节";
    QTest::newRow("completer name GBK lacks")
        << "TFinto8"
        << "edtry_180" << QString::fromUtf8("王䶮") << "“姓名”中的“䶮”无法保存，请改用其他字";
    QTest::newRow("certificate memo with an emoji")
        << "TFpage9"
        << "Mo_303" << QString::fromUtf8("同意\xF0\x9F\x98\x80通过")
        << QString::fromUtf8("“评价意见”中的“\xF0\x9F\x98\x80”无法保存，请改用其他字");
}

void TestStoreMessages::refusedByLabel() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, message);
    if (window == "TFinto8") {
        test::ListFixture f;
        f.select(1);
        f.main->reopenChildQuery(f.dm->QryCgwcr, QStringLiteral("cgwcr"));
        people::TFpage8 page(*f.dm, *f.main);
        page.Load();
        bool focused = false;
        ScriptedUi ui;
        ui.expectModal("TFinto8", [&](QWidget* w) {
            auto* dialog = static_cast<people::TFinto8*>(w);
            setText(dialog, "edtry_180", "张三");
            setText(dialog, "edt_182_y", "1965");
            setText(dialog, "edt_182_m", "3");
            setText(dialog, control, text);
            dialog->setResult(-1);
            dialog->Button1Click();
            focused = dialog->focusWidget() == test::control(dialog, control);
            return dialog->result();
        });
        ui.expectBox(kRefused, message);
        page.Button2Click();
        TAMSEL_VERIFY_UI(ui);
        QVERIFY(focused);
        QCOMPARE(f.rows("cgwcr.DBF", {"ITEM_180"}), QStringList());
        return;
    }
    test::EvalPageFixture f("1", {{"ITEM_303", "评价意见"}});
    entry::TFpage9 page(*f.dm, *f.main);
    page.LoadFromRecord();
    setText(&page, control, text);
    ScriptedUi ui;
    ui.expectBox(kRefused, message);
    page.BtnSaveClick();
    TAMSEL_VERIFY_UI(ui);
    QCOMPARE(page.focusWidget(), test::control(&page, control));
    QCOMPARE(f.stored("ITEM_303"), QStringLiteral("评价意见"));
}

TAMSEL_TEST(TestStoreMessages)
#include "test_store_messages.moc"
