#pragma once

#include <QApplication>
#include <QTest>

#include "tests/support/TestEnv.h"

// A Qt Test main for the window tests: a private LOCKMERE_HOME before anything
// reads a path, then an offscreen QApplication.
#define LOCKMERE_WINDOW_TEST_MAIN(TestClass) \
  int main(int argc, char** argv) {          \
    testenv::isolateHome();                  \
    qputenv("QT_QPA_PLATFORM", "offscreen"); \
    QApplication app(argc, argv);            \
    TestClass test;                          \
    return QTest::qExec(&test, argc, argv);  \
  }
