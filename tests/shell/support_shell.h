#pragma once
// What the start-up and home-screen tests share: the work tests' helpers, the
// simulated board and the program's own application object.

#include "../work/support_work.h"

#include "shell/Application.h"
#include "shell/ShellResources.h"

#define SHELL_TEST_MAIN(TestClass)                                                                                     \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        Application app(argc, argv);                                                                                   \
        initAllResources();                                                                                            \
        TestClass t;                                                                                                   \
        return QTest::qExec(&t, argc, argv);                                                                           \
    }
