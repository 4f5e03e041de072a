#include "app/printer_settings.h"

#include <QPrinter>

namespace veltra {

PrinterSettings::PrinterSettings() = default;
PrinterSettings::~PrinterSettings() = default;

QPrinter& PrinterSettings::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

}  // namespace veltra
