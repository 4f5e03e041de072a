#pragma once

// What a decoder reads: the file, or the pieces its format's reader chose (a PNG's chunks that
// its pixels need, a TIFF with a trimmed first directory), served one after another without
// joining them into a copy. Random access, as libtiff needs.

#include "formats/file_facts.h"

#include <QByteArrayView>
#include <QIODevice>

#include <vector>

namespace veltra::imaging {

class DecoderInputDevice final : public QIODevice {
public:
    DecoderInputDevice(QByteArrayView file, const FileFacts& facts);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_total; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* /*data*/, qint64 /*size*/) override { return -1; }

private:
    void addPart(QByteArrayView part);

    std::vector<QByteArrayView> m_parts;
    std::vector<qint64> m_starts;
    qint64 m_total = 0;
};

}  // namespace veltra::imaging
