#pragma once

// How many bytes of item values one file may hand out. Real files hold a few kilobytes of
// metadata, a large ICC profile or thumbnail at most a few megabytes; a few hostile kilobytes
// can otherwise ask for gigabytes (many entries pointing at one large value, a compressed text
// that inflates without end). An item that would pass the budget is left out whole, never
// cut short, and the items after it are still read while they fit.

#include <QtGlobal>

namespace veltra::imaging {

class ItemBudget {
public:
    static constexpr qsizetype kValueBytesPerFile = qsizetype{16} * 1024 * 1024;

    explicit ItemBudget(qsizetype bytes = kValueBytesPerFile) : m_remaining(bytes) {}

    // Takes `bytes` from the budget; false, taking nothing, when they are not left.
    bool take(qsizetype bytes)
    {
        if (bytes < 0 || bytes > m_remaining)
            return false;
        m_remaining -= bytes;
        return true;
    }

    qsizetype remaining() const { return m_remaining; }

private:
    qsizetype m_remaining;
};

}  // namespace veltra::imaging
