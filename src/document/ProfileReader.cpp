#include "document/ProfileReader.h"

#include "platform/Codepage.h"
#include "platform/FileOps.h"
#include "platform/LargeBuffers.h"
#include "platform/StrToInt.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {
// The profile API's notion of a blank: Tab, LF, VT, FF, CR, Ctrl-Z and space.
inline bool isBlank(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

inline char16_t foldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// A stretch of the parsed text as the API sees its characters: decoded UTF-16, or the bytes of an
// ANSI file, where each byte is one character.
struct Units {
    const char16_t *wide = nullptr;
    const unsigned char *narrow = nullptr;
    qsizetype n = 0;

    qsizetype size() const { return n; }
    bool isEmpty() const { return n == 0; }
    char16_t operator[](qsizetype i) const {
        if (wide)
            return wide[i];
        const unsigned char b = narrow[i];
        return b < 0x80 ? char16_t(b) : DecodeAnsiByte(b);
    }
    char16_t back() const { return (*this)[n - 1]; }
    Units mid(qsizetype pos, qsizetype len = -1) const {
        Units u = *this;
        if (len < 0 || pos + len > n)
            len = n - pos;
        u.n = len;
        if (wide)
            u.wide += pos;
        else
            u.narrow += pos;
        return u;
    }
    Units left(qsizetype len) const { return mid(0, std::min(len, n)); }
    QString toString() const {
        if (wide)
            return QString(reinterpret_cast<const QChar *>(wide), n);
        return DecodeAnsi(QByteArrayView(narrow, n));
    }
    // The text as a view, decoded into buffer when it is not UTF-16 already.
    QStringView view(QString &buffer) const {
        if (wide)
            return QStringView(wide, n);
        buffer.resize(n);
        char16_t *d = reinterpret_cast<char16_t *>(buffer.data());
        for (qsizetype i = 0; i < n; ++i)
            d[i] = (*this)[i];
        return buffer;
    }
};

inline char16_t unitOf(QChar c) {
    return c.unicode();
}
inline char16_t unitOf(char16_t c) {
    return c;
}

template <class A, class B> bool equalsIgnoringAsciiCase(const A &a, const B &b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldAscii(unitOf(a[i])) != foldAscii(unitOf(b[i])))
            return false;
    return true;
}

template <class S> QString foldedName(const S &s) {
    QString out(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        out[i] = QChar(foldAscii(unitOf(s[i])));
    return out;
}

template <class S> size_t hashIgnoringAsciiCase(const S &s) {
    size_t h = 1469598103934665603ull;
    for (qsizetype i = 0; i < s.size(); ++i)
        h = (h ^ foldAscii(unitOf(s[i]))) * 1099511628211ull;
    // The multiplications only carry upwards; fold the high bits into the low ones used as slot.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

// Names and values are C strings to the API: a NUL ends them.
QStringView cutAtNul(QStringView s) {
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

// n for "Item<n>" in any letter case, n in decimal without sign or leading zero; else 0.
template <class S> qsizetype itemNumber(const S &s) {
    if (s.size() < 5 || s.size() > 14 || foldAscii(unitOf(s[0])) != u'i' || foldAscii(unitOf(s[1])) != u't' ||
        foldAscii(unitOf(s[2])) != u'e' || foldAscii(unitOf(s[3])) != u'm' || unitOf(s[4]) == u'0')
        return 0;
    qsizetype n = 0;
    for (qsizetype i = 4; i < s.size(); ++i) {
        const char16_t c = unitOf(s[i]);
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c - u'0');
    }
    return n;
}

QStringView trimBlanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b].unicode()))
        ++b;
    while (e > b && isBlank(s[e - 1].unicode()))
        --e;
    return s.mid(b, e - b);
}

// UTF-8 as the platform decodes it: each maximal invalid subsequence (a lead byte with the
// valid continuation bytes that follow it, or a stray byte) becomes one U+FFFD.
QString decodeUtf8(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = s + bytes.size();
    auto isCont = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    while (s < end) {
        const unsigned char b = *s++;
        if (b < 0x80) {
            *d++ = b;
            continue;
        }
        int more;
        char32_t cp;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the first continuation byte
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            cp = b & 0x0F;
            if (b == 0xE0)
                lo = 0xA0; // overlong
            if (b == 0xED)
                hi = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            cp = b & 0x07;
            if (b == 0xF0)
                lo = 0x90; // overlong
            if (b == 0xF4)
                hi = 0x8F; // beyond U+10FFFF
        } else {
            *d++ = 0xFFFD;
            continue;
        }
        bool ok = true;
        for (int k = 0; k < more; ++k) {
            if (s >= end || !isCont(*s) || (k == 0 && (*s < lo || *s > hi))) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (*s++ & 0x3F);
        }
        if (!ok) {
            *d++ = 0xFFFD;
        } else if (cp <= 0xFFFF) {
            *d++ = char16_t(cp);
        } else {
            cp -= 0x10000;
            *d++ = char16_t(0xD800 | (cp >> 10));
            *d++ = char16_t(0xDC00 | (cp & 0x3FF));
        }
    }
    out.truncate(d - reinterpret_cast<char16_t *>(out.data()));
    return out;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian) {
    // A trailing odd byte holds no whole character and is dropped.
    const qsizetype n = bytes.size() / 2;
    QString out(n, Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < n; ++i)
        d[i] =
            bigEndian ? char16_t((s[2 * i] << 8) | s[2 * i + 1]) : char16_t(s[2 * i] | (s[2 * i + 1] << 8));
    return out;
}

QString decodeProfileText(const QByteArray &b) {
    const auto *u = reinterpret_cast<const unsigned char *>(b.constData());
    if (b.size() >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF)
        return decodeUtf8(QByteArrayView(b).sliced(3));
    if (b.size() >= 2 && u[0] == 0xFF && u[1] == 0xFE)
        return decodeUtf16(QByteArrayView(b).sliced(2), false);
    if (b.size() >= 2 && u[0] == 0xFE && u[1] == 0xFF)
        return decodeUtf16(QByteArrayView(b).sliced(2), true);
    return DecodeAnsi(b);
}

// The value or default as the API copies it into a 2048-character buffer: one pair of
// matching quotes is dropped, and the copy keeps 2047 characters. When the text without its
// opening quote fills the buffer, the API drops the last copied character instead of the
// closing quote; kept, because SAP Logon reads such a value the same way.
Units copyEntry(Units v) {
    constexpr qsizetype kBuffer = 2048;
    bool quoted = false;
    if (v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0]) {
        quoted = true;
        v = v.mid(1);
    }
    Units out = v.left(kBuffer - 1);
    if (quoted && kBuffer >= v.size())
        out.n -= 1;
    return out;
}

qsizetype countLineFeeds(const unsigned char *s, qsizetype n) {
    qsizetype count = 0;
    for (const void *q = s;
         (q = memchr(q, '\n', size_t(s + n - static_cast<const unsigned char *>(q)))) != nullptr;
         q = static_cast<const unsigned char *>(q) + 1)
        ++count;
    return count;
}

qsizetype countLineFeeds(const char16_t *s, qsizetype n) {
    return QStringView(s, n).count(u'\n');
}

Units unitsOf(QStringView s) {
    return Units{reinterpret_cast<const char16_t *>(s.utf16()), nullptr, s.size()};
}
} // namespace

struct ProfileReader::Parsed {
    // A file of many short lines has millions of these. Where a value starts is found again
    // when it is read: after the line's first '=' and the blanks that follow.
    struct Key {
        quint32 nameStartLow; // with the 4 GiB steps of keyEpochs, where the name starts
        int nameLen;          // up to the first NUL
        int valueLen;         // up to the first NUL; -1: the line has no '='
        bool hasValue() const { return valueLen >= 0; }
    };
    struct Section {
        qsizetype nameStart;
        int nameLen;
        int firstKey;
        int keyCount = 0;
        enum class Layout { Unknown, Numbered, Indexed };
        Layout layout = Layout::Unknown;
        std::vector<int> index; // open-addressing table of first keys by name, built on demand
    };

    Source source = Source::Missing;
    QString error;
    // The text: an ANSI file keeps its own bytes, one character each, which saves decoding it
    // and holding it twice as large; any other is decoded.
    bool narrow = false;
    QByteArray bytes;
    QString text;
    std::vector<Key> keys;
    // Index of the first key at or past each further 4 GiB of text: none below 4 GiB, which
    // keeps a key at 12 bytes on the millions of lines of the largest files.
    std::vector<size_t> keyEpochs;
    qsizetype nameStart(const Key &k) const {
        if (keyEpochs.empty())
            return k.nameStartLow;
        const size_t i = size_t(&k - keys.data());
        const auto high = std::upper_bound(keyEpochs.begin(), keyEpochs.end(), i) - keyEpochs.begin();
        return qsizetype((quint64(high) << 32) | k.nameStartLow);
    }
    std::vector<Section> sections;
    QHash<QString, int> sectionByName; // name with ASCII letters folded -> first such section
    // Recent queries: a load asks for the same 19 section names 10,000 times over. A cached
    // QString keeps its buffer alive, so a query sharing that buffer has the same text.
    struct Recent {
        QString query;
        const Section *section = nullptr;
    };
    std::array<Recent, 32> recent;
    size_t nextRecent = 0;
    // Short values repeat across thousands of entries ("0", "1100", an origin): the last string
    // made for each slot is handed out again instead of a new copy.
    static constexpr qsizetype kSharedValueMax = 64;
    static constexpr size_t kSharedSlots = 4096;
    std::vector<QString> sharedValues;
    const Section *findSectionOfQuery(const QString &query);

    Units view(qsizetype start, qsizetype len) const {
        if (narrow)
            return Units{nullptr, reinterpret_cast<const unsigned char *>(bytes.constData()) + start, len};
        return Units{reinterpret_cast<const char16_t *>(text.utf16()) + start, nullptr, len};
    }
    Units keyName(const Key &k) const { return view(nameStart(k), k.nameLen); }
    Units keyValue(const Key &k) const {
        if (k.valueLen <= 0)
            return view(nameStart(k), 0);
        qsizetype v = nameStart(k);
        if (narrow) {
            const char *s = bytes.constData();
            while (s[v] != '=')
                ++v;
            ++v;
            while (isBlank(uchar(s[v])))
                ++v;
        } else {
            const QChar *s = text.constData();
            while (s[v] != u'=')
                ++v;
            ++v;
            while (isBlank(s[v].unicode()))
                ++v;
        }
        return view(v, k.valueLen);
    }
    Units sectionName(const Section &s) const { return view(s.nameStart, s.nameLen); }

    template <class Unit> void parse(const Unit *s, qsizetype n);
    template <class S> const Section *findSection(const S &name) const;
    const Key *findKey(const Section &s, QStringView name);
    bool isNumberedItems(const Section &s) const;
    QString valueString(Units v);
};

// Line structure is all ASCII, and an ANSI byte is a character of its own value when it is
// ASCII and never one of these when it is not: the same scan serves bytes and UTF-16.
template <class Unit> void ProfileReader::Parsed::parse(const Unit *s, qsizetype n) {
    auto nulCut = [&](qsizetype start, qsizetype len) {
        for (qsizetype i = 0; i < len; ++i)
            if (s[start + i] == 0)
                return int(i);
        return int(len);
    };
    keys.reserve(size_t(countLineFeeds(s, n) + 1)); // a key a line: exact for CR LF files
    AdviseLargeBuffer(keys);
    sections.push_back({0, 0, 0, 0, Section::Layout::Unknown, {}}); // keys before the first header
    bool prevNameEmpty = false, havePrev = false;
    qsizetype i = 0;
    while (i < n) {
        qsizetype ls = i;
        while (i < n && s[i] != u'\n' && s[i] != u'\r')
            ++i;
        qsizetype le = i;
        while (i < n && (s[i] == u'\n' || s[i] == u'\r'))
            ++i;
        while (ls < le && isBlank(s[ls]))
            ++ls;
        while (le > ls && isBlank(s[le - 1]))
            --le;
        if (ls >= le)
            continue;
        if (s[ls] == u'[') {
            qsizetype close = le - 1;
            while (close > ls && s[close] != u']')
                --close;
            if (close > ls) {
                qsizetype ns = ls + 1, ne = close;
                while (ns < ne && isBlank(s[ns]))
                    ++ns;
                while (ne > ns && isBlank(s[ne - 1]))
                    --ne;
                sections.push_back(
                    {ns, nulCut(ns, ne - ns), int(keys.size()), 0, Section::Layout::Unknown, {}});
                havePrev = false;
                continue;
            }
        }
        qsizetype eq = ls;
        while (eq < le && s[eq] != u'=')
            ++eq;
        while (quint64(ls) >> 32 > keyEpochs.size())
            keyEpochs.push_back(keys.size());
        Key k{quint32(quint64(ls) & 0xFFFFFFFFu), 0, -1};
        qsizetype rawNameLen = le - ls;
        if (eq < le) {
            qsizetype ne = eq;
            while (ne > ls && isBlank(s[ne - 1]))
                --ne;
            rawNameLen = ne - ls;
            qsizetype vs = eq + 1;
            while (vs < le && isBlank(s[vs]))
                ++vs;
            k.valueLen = nulCut(vs, le - vs);
        }
        // A nameless key right after another nameless key of the same section is dropped.
        if (rawNameLen == 0 && havePrev && prevNameEmpty)
            continue;
        k.nameLen = nulCut(ls, rawNameLen);
        keys.push_back(k);
        ++sections.back().keyCount;
        havePrev = true;
        prevNameEmpty = k.nameLen == 0;
    }
    for (int si = 0; si < int(sections.size()); ++si) {
        const QString folded = foldedName(sectionName(sections[si]));
        if (!sectionByName.contains(folded))
            sectionByName.insert(folded, si); // a section's first occurrence hides the others
    }
}

template <class S>
const ProfileReader::Parsed::Section *ProfileReader::Parsed::findSection(const S &name) const {
    if (sections.size() <= 32) { // a SAPLOGON.INI has 22: a scan beats hashing a folded copy
        for (const Section &sec : sections)
            if (equalsIgnoringAsciiCase(sectionName(sec), name))
                return &sec;
        return nullptr;
    }
    const auto it = sectionByName.constFind(foldedName(name));
    return it == sectionByName.cend() ? nullptr : &sections[it.value()];
}

// The layout SAPLOGON.INI sections have: keys "Item1", "Item2", ... in order.
bool ProfileReader::Parsed::isNumberedItems(const Section &sec) const {
    for (int i = 0; i < sec.keyCount; ++i)
        if (itemNumber(keyName(keys[sec.firstKey + i])) != i + 1)
            return false;
    return true;
}

const ProfileReader::Parsed::Section *ProfileReader::Parsed::findSectionOfQuery(const QString &query) {
    for (const Recent &r : recent)
        if (!query.isEmpty() && r.query.constData() == query.constData() && r.query.size() == query.size())
            return r.section;
    const Section *sec = findSection(trimBlanks(cutAtNul(query)));
    recent[nextRecent++ % recent.size()] = {query, sec};
    return sec;
}

const ProfileReader::Parsed::Key *ProfileReader::Parsed::findKey(const Section &sec, QStringView name) {
    if (sec.keyCount <= 8) {
        for (int k = sec.firstKey; k < sec.firstKey + sec.keyCount; ++k)
            if (equalsIgnoringAsciiCase(keyName(keys[k]), name))
                return &keys[k];
        return nullptr;
    }
    auto &mut = const_cast<Section &>(sec);
    if (mut.layout == Section::Layout::Unknown)
        mut.layout = isNumberedItems(sec) ? Section::Layout::Numbered : Section::Layout::Indexed;
    if (mut.layout == Section::Layout::Numbered) {
        // Key n is "Item<n>" for every n, so only that spelling of a number can match, and
        // it names its position directly.
        const qsizetype n = itemNumber(name);
        return n >= 1 && n <= sec.keyCount ? &keys[sec.firstKey + n - 1] : nullptr;
    }
    auto &index = mut.index;
    if (index.empty()) {
        size_t cap = 16;
        while (cap < size_t(sec.keyCount) * 2)
            cap *= 2;
        index.assign(cap, -1);
        for (int k = sec.firstKey; k < sec.firstKey + sec.keyCount; ++k) {
            const Units kn = keyName(keys[k]);
            size_t slot = hashIgnoringAsciiCase(kn) & (cap - 1);
            while (index[slot] >= 0 && !equalsIgnoringAsciiCase(keyName(keys[index[slot]]), kn))
                slot = (slot + 1) & (cap - 1);
            if (index[slot] < 0)
                index[slot] = k; // the first key of a name wins
        }
    }
    const size_t mask = index.size() - 1;
    size_t slot = hashIgnoringAsciiCase(name) & mask;
    while (index[slot] >= 0) {
        if (equalsIgnoringAsciiCase(keyName(keys[index[slot]]), name))
            return &keys[index[slot]];
        slot = (slot + 1) & mask;
    }
    return nullptr;
}

QString ProfileReader::Parsed::valueString(Units v) {
    if (v.isEmpty())
        return QString();
    if (v.size() > kSharedValueMax)
        return v.toString();
    size_t h = 1469598103934665603ull;
    for (qsizetype i = 0; i < v.size(); ++i)
        h = (h ^ v[i]) * 1099511628211ull;
    h ^= h >> 29;
    if (sharedValues.empty())
        sharedValues.resize(kSharedSlots);
    QString &slot = sharedValues[h & (kSharedSlots - 1)];
    if (slot.size() == v.size()) {
        const char16_t *c = reinterpret_cast<const char16_t *>(slot.utf16());
        qsizetype i = 0;
        while (i < v.size() && c[i] == v[i])
            ++i;
        if (i == v.size())
            return slot;
    }
    slot = v.toString();
    return slot;
}

ProfileReader::ProfileReader(QString path) : FPath(std::move(path)) {}
ProfileReader::~ProfileReader() = default;
ProfileReader::ProfileReader(ProfileReader &&) noexcept = default;
ProfileReader &ProfileReader::operator=(ProfileReader &&) noexcept = default;

ProfileReader ProfileReader::FromBytes(QByteArray bytes) {
    ProfileReader r;
    r.FBytes = std::move(bytes);
    r.FFromBytes = true;
    return r;
}

ProfileReader ProfileReader::FromRead(const QString &path, const TFileRead &file) {
    ProfileReader r(path);
    auto p = std::make_unique<Parsed>();
    switch (file.status) {
    case TFileRead::Status::Missing:
        p->source = Source::Missing;
        break;
    case TFileRead::Status::Failed:
        p->source = Source::Unreadable;
        p->error = file.error;
        break;
    case TFileRead::Status::Loaded:
        p->source = Source::Loaded;
        Parse(*p, file.bytes);
        break;
    }
    r.FParsed = std::move(p);
    return r;
}

void ProfileReader::Parse(Parsed &p, const QByteArray &bytes) {
    if (bytes.isEmpty())
        return;
    const auto *u = reinterpret_cast<const unsigned char *>(bytes.constData());
    const bool unicode = (bytes.size() >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) ||
                         (bytes.size() >= 2 && u[0] == 0xFF && u[1] == 0xFE) ||
                         (bytes.size() >= 2 && u[0] == 0xFE && u[1] == 0xFF);
    if (unicode) {
        p.text = decodeProfileText(bytes);
        p.parse(reinterpret_cast<const char16_t *>(p.text.utf16()), p.text.size());
    } else {
        p.narrow = true;
        p.bytes = bytes;
        p.parse(u, bytes.size());
    }
}

const ProfileReader::Parsed &ProfileReader::EnsureParsed() const {
    if (FParsed)
        return *FParsed;
    auto parsed = std::make_unique<Parsed>();
    Parsed &p = *parsed;
    QByteArray bytes;
    if (FFromBytes) {
        p.source = Source::Loaded;
        bytes = FBytes;
    } else if (!FPath.isEmpty()) {
        // Only a regular file is read, and never by waiting: a FIFO or device is Unreadable.
        TFileRead file = ReadRegularFile(FPath);
        switch (file.status) {
        case TFileRead::Status::Missing:
            p.source = Source::Missing;
            break;
        case TFileRead::Status::Failed:
            p.source = Source::Unreadable;
            p.error = file.error;
            break;
        case TFileRead::Status::Loaded:
            p.source = Source::Loaded;
            bytes = std::move(file.bytes);
            break;
        }
    }
    Parse(p, bytes);
    FParsed = std::move(parsed);
    return *FParsed;
}

ProfileReader::Source ProfileReader::SourceState() const {
    return EnsureParsed().source;
}

QString ProfileReader::SourceError() const {
    return EnsureParsed().error;
}

void ProfileReader::ReadSection(const QString &section, QStringList &list) const {
    list.clear();
    const Parsed &p = EnsureParsed();
    FLastBufferSize = 1024;
    FLastCalls = 1;
    const Parsed::Section *sec =
        p.source == Source::Unreadable ? nullptr : p.findSection(cutAtNul(section)); // not trimmed
    if (!sec)
        return;
    std::vector<Units> names;
    for (int k = sec->firstKey; k < sec->firstKey + sec->keyCount; ++k) {
        const Parsed::Key &key = p.keys[k];
        const Units name = p.keyName(key);
        if (!key.hasValue() || (!name.isEmpty() && name[0] == u';'))
            continue; // lines without '=' and comment keys are not listed
        names.push_back(name);
    }
    // The caller grows its buffer while the reported count says it may have been cut.
    auto reportedCount = [&](qint64 size) {
        qint64 left = size;
        for (const Units &name : names) {
            if (left <= 2)
                break;
            left -= std::min<qint64>(name.size(), left - 2) + 1;
            if (left < 2)
                break;
        }
        return left <= 1 ? size - 2 : size - left;
    };
    qint64 size = 1024;
    while (reportedCount(size) >= size - 2) {
        size *= 4;
        ++FLastCalls;
    }
    FLastBufferSize = int(std::min<qint64>(size, INT_MAX));
    // The double-NUL list ends at the first empty name.
    for (const Units &name : names) {
        if (name.isEmpty())
            break;
        list.append(name.toString());
    }
}

QString ProfileReader::ReadString(const QString &section, const QString &key, const QString &def) const {
    const Parsed &p = EnsureParsed();
    QStringView d = cutAtNul(def);
    qsizetype dl = d.size();
    while (dl > 1 && d[dl - 1] == u' ')
        --dl;
    d = d.left(dl);
    if (p.source == Source::Unreadable)
        return d.left(2047).toString(); // the API copies the default as it stands then
    auto &parsed = const_cast<Parsed &>(p);
    if (const Parsed::Section *sec = parsed.findSectionOfQuery(section)) {
        if (const Parsed::Key *k = parsed.findKey(*sec, trimBlanks(cutAtNul(key)))) {
            if (k->hasValue())
                return parsed.valueString(copyEntry(p.keyValue(*k)));
        }
    }
    return copyEntry(unitsOf(d)).toString();
}

QStringList ProfileReader::SectionNames() const {
    const Parsed &p = EnsureParsed();
    QStringList names;
    if (p.source == Source::Unreadable)
        return names;
    for (int si = 1; si < int(p.sections.size()); ++si) {
        const Units name = p.sectionName(p.sections[si]);
        // A nameless header is hidden by the keys before the first header; a name that a NUL cut
        // after a blank no query reaches, since queries lose their blank ends.
        if (name.isEmpty() || p.findSection(name) != &p.sections[si])
            continue;
        QString text = name.toString();
        if (!isBlank(text.back().unicode()))
            names.append(std::move(text));
    }
    return names;
}

void ProfileReader::ForEachReachableKey(const QString &section,
                                        const std::function<void(int key, QStringView name)> &visit) const {
    const Parsed &p = EnsureParsed();
    if (p.source == Source::Unreadable)
        return;
    auto &parsed = const_cast<Parsed &>(p);
    const Parsed::Section *sec = parsed.findSection(trimBlanks(cutAtNul(section)));
    if (!sec)
        return;
    QString nameBuffer;
    for (int k = sec->firstKey; k < sec->firstKey + sec->keyCount; ++k) {
        const Parsed::Key &key = p.keys[k];
        const Units name = p.keyName(key);
        if (!key.hasValue() || name.isEmpty() || name[0] == u';')
            continue;
        const QStringView nameView = name.view(nameBuffer);
        // A later key of the same name is never read, nor one whose name a NUL cut after a blank.
        if (!isBlank(nameView.back().unicode()) && parsed.findKey(*sec, nameView) == &key)
            visit(k, nameView);
    }
}

void ProfileReader::ForEachRawKeyName(const QString &section,
                                      const std::function<void(QStringView name)> &visit) const {
    ForEachReachableKey(section, [&](int, QStringView name) { visit(name); });
}

void ProfileReader::ForEachRawKey(const QString &section,
                                  const std::function<void(QStringView, QStringView)> &visit) const {
    const Parsed &p = EnsureParsed();
    QString valueBuffer;
    ForEachReachableKey(
        section, [&](int key, QStringView name) { visit(name, p.keyValue(p.keys[key]).view(valueBuffer)); });
}

ProfileReader::Unreachable ProfileReader::UnreachableLines() const {
    const Parsed &p = EnsureParsed();
    Unreachable u;
    if (p.source == Source::Unreadable)
        return u;
    for (int si = 0; si < int(p.sections.size()); ++si) {
        const Parsed::Section &sec = p.sections[si];
        const Units name = p.sectionName(sec);
        if (si > 0 && p.findSection(name) != &sec)
            u.RepeatedSections.append(name.isEmpty() ? QString() : name.toString());
        for (int k = sec.firstKey; k < sec.firstKey + sec.keyCount; ++k) {
            const Parsed::Key &key = p.keys[k];
            const Units line = p.view(p.nameStart(key), key.nameLen);
            if (!key.hasValue() && !(line.size() > 0 && line[0] == u';'))
                u.LinesWithoutEquals.append({name.toString(), line.toString()});
        }
    }
    return u;
}

QString ProfileReader::SharedString(QStringView text) const {
    EnsureParsed();
    return FParsed->valueString(unitsOf(text));
}

qsizetype ProfileReader::ItemNumber(QStringView key) {
    return itemNumber(key);
}

bool ProfileReader::SameName(QStringView a, QStringView b) {
    return equalsIgnoringAsciiCase(a, b);
}

QString ProfileReader::FoldedName(QStringView name) {
    return foldedName(name);
}

std::optional<qint32> ProfileReader::ToInteger(QStringView text) {
    qint32 value = 0;
    if (!TryStrToInt(text, value))
        return std::nullopt;
    return value;
}

qint32 ProfileReader::ReadInteger(const QString &section, const QString &key, qint32 def) const {
    return ToInteger(ReadString(section, key, QString())).value_or(def);
}

bool ProfileReader::ReadBool(const QString &section, const QString &key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}
