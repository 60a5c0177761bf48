// Floor for `zunova --version`: a Qt Core application that prints the same line and ends.
#include "zunova/version.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::printf("zunova %s\n", zunova::kVersionString);
    return 0;
}
