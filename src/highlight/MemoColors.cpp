#include "highlight/MemoColors.h"

QColor ColorToQColor(TColor c) {
    if (c == clNone)
        return {};
    if ((c >> 24) == 0xFF) {
        switch (c & 0xFF) {
        case 0x05: // window
            return QColor(255, 255, 255);
        case 0x08: // window text
        case 0x12: // button text
            return QColor(0, 0, 0);
        case 0x0D: // highlight
            return QColor(0, 120, 215);
        case 0x0E: // highlight text
            return QColor(255, 255, 255);
        case 0x0F: // button face
            return QColor(240, 240, 240);
        case 0x18: // info background
            return QColor(255, 255, 225);
        default:
            return QColor(128, 128, 128);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
