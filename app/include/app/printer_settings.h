#pragma once

// The printer and page choices of this run, shared by printing, print preview and print
// setup. Nothing of it is stored between runs.

#include <memory>

class QPrinter;

namespace veltra {

class PrinterSettings {
public:
    PrinterSettings();
    ~PrinterSettings();
    PrinterSettings(const PrinterSettings&) = delete;
    PrinterSettings& operator=(const PrinterSettings&) = delete;

    // Made on first use: looking for printers is slow, and a run that never prints never
    // pays for it.
    QPrinter& Printer();

private:
    std::unique_ptr<QPrinter> m_printer;
};

}  // namespace veltra
