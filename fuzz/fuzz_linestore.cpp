// Any bytes as a file for the line store: detection and decoding must not fault, and what the
// store writes must read back to the same lines in the same encoding.
#include "editor/HeadlessCodeMemoView.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    THeadlessCodeMemoView view;
    TCodeMemoStrings &lines = view.Lines();
    lines.LoadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const TTextEncoding encoding = lines.Encoding();
    const QString text = lines.Text();
    lines.LoadFromBytes(lines.EncodedText());
    // No line break follows the last line, so a last empty line does not come back.
    const QString again = lines.Text();
    if (lines.Encoding() != encoding || (again != text && again + QStringLiteral("\r\n") != text))
        std::abort();
    return 0;
}
