#include "ApplicationPrinter.h"

#include <QCoreApplication>
#include <QPrinter>

#include <memory>

QPrinter& ApplicationPrinter()
{
    static std::unique_ptr<QPrinter> printer;
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { printer.reset(); });
    }
    return *printer;
}
