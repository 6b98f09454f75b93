#pragma once

#include <QObject>
#include <functional>

namespace tamsel::test {

// Registers a QTest class so that the suite's single main() runs it.
int registerTestClass(const char* name, std::function<QObject*()> factory);

} // namespace tamsel::test

#define TAMSEL_TEST(Class)                                                                                   \
    static const int tamselTestRegistration_##Class =                                                        \
        ::tamsel::test::registerTestClass(#Class, [] { return static_cast<QObject*>(new Class); });
