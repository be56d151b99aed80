// libFuzzer target for stored records: any bytes are decoded; decoding must
// never crash, and a record that decodes must encode to bytes that decode to
// the same record, bit for bit.
#include "store/HistoryCodec.h"

#include <bit>
#include <cstdlib>
#include <cstring>

namespace {
bool SameBits(const TPWRec &a, const TPWRec &b)
{
    return a.Menu == b.Menu && MatSameBits(a.Trans, b.Trans) && a.Lines == b.Lines && a.Style == b.Style
           && a.Pressure == b.Pressure && a.Points.size() == b.Points.size()
           && (a.Points.isEmpty()
               || std::memcmp(a.Points.constData(), b.Points.constData(), size_t(a.Points.size()) * sizeof(QPointF))
                      == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TPWRec rec;
    QString why;
    if (!DecodeRecord(bytes, rec, &why)) {
        if (why.isEmpty())
            std::abort(); // refused without a reason
        return 0;
    }
    TPWRec again;
    if (!DecodeRecord(EncodeRecord(rec), again) || !SameBits(rec, again))
        std::abort(); // what was written does not read back
    return 0;
}
