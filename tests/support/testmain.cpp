#include "support/testmain.h"

#ifdef TAMSEL_TESTS_WITHOUT_WIDGETS
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif
#include <QStringList>
#include <QTest>
#include <memory>
#include <vector>

namespace tamsel::test {
namespace {
struct Entry {
    const char* name;
    std::function<QObject*()> factory;
};
std::vector<Entry>& registry() {
    static std::vector<Entry> entries;
    return entries;
}
} // namespace

int registerTestClass(const char* name, std::function<QObject*()> factory) {
    registry().push_back({name, std::move(factory)});
    return static_cast<int>(registry().size());
}

} // namespace tamsel::test

// Runs every registered class. Usage: suite [ClassName] [QTest options...]
int main(int argc, char* argv[]) {
    TestApplication app(argc, argv);
    QStringList args = app.arguments();
    QString only;
    if (args.size() > 1 && !args.at(1).startsWith(QLatin1Char('-'))) {
        only = args.takeAt(1);
    }
    int failed = 0;
    int run = 0;
    for (const auto& entry : tamsel::test::registry()) {
        if (!only.isEmpty() && only != QLatin1String(entry.name)) {
            continue;
        }
        std::unique_ptr<QObject> object(entry.factory());
        failed += QTest::qExec(object.get(), args) != 0 ? 1 : 0;
        ++run;
    }
    return failed == 0 && run > 0 ? 0 : 1;
}
