// Any bytes as a file for the line store: detection and decoding must not fault, and what the
// store writes must read back to the same bytes once the text has settled.
#include "editor/HeadlessCodeMemoView.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    THeadlessCodeMemoView view;
    TCodeMemoStrings &lines = view.Lines();
    lines.LoadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const TTextEncoding encoding = lines.Encoding();
    const QByteArray first = lines.EncodedText();
    lines.LoadFromBytes(first);
    const QByteArray second = lines.EncodedText();
    lines.LoadFromBytes(second);
    if (lines.EncodedText() != second || lines.Encoding() != encoding)
        std::abort();
    return 0;
}
