#include "document/ProfileReader.h"

#include "platform/Codepage.h"
#include "platform/FileOps.h"
#include "platform/StrToInt.h"

#include <QHash>
#include <array>
#include <vector>

namespace {
// The profile API's notion of a blank: Tab, LF, VT, FF, CR, Ctrl-Z and space.
inline bool isBlank(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

inline char16_t foldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

bool equalsIgnoringAsciiCase(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldAscii(a[i].unicode()) != foldAscii(b[i].unicode()))
            return false;
    return true;
}

QString foldedName(QStringView s) {
    QString out(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        out[i] = QChar(foldAscii(s[i].unicode()));
    return out;
}

size_t hashIgnoringAsciiCase(QStringView s) {
    size_t h = 1469598103934665603ull;
    for (QChar c : s)
        h = (h ^ foldAscii(c.unicode())) * 1099511628211ull;
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
qsizetype itemNumber(QStringView s) {
    if (s.size() < 5 || s.size() > 14 || foldAscii(s[0].unicode()) != u'i' ||
        foldAscii(s[1].unicode()) != u't' || foldAscii(s[2].unicode()) != u'e' ||
        foldAscii(s[3].unicode()) != u'm' || s[4] == u'0')
        return 0;
    qsizetype n = 0;
    for (qsizetype i = 4; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
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
QString copyEntry(QStringView v) {
    constexpr qsizetype kBuffer = 2048;
    bool quoted = false;
    if (v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0]) {
        quoted = true;
        v = v.mid(1);
    }
    QStringView out = v.left(kBuffer - 1);
    if (quoted && kBuffer >= v.size())
        out.chop(1);
    return out.toString();
}
} // namespace

struct ProfileReader::Parsed {
    struct Key {
        qsizetype nameStart;
        qsizetype valueStart; // -1: the line has no '='
        int nameLen;          // up to the first NUL
        int valueLen;         // up to the first NUL
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
    QString text;
    std::vector<Key> keys;
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
    const Section *findSectionOfQuery(const QString &query);

    QStringView view(qsizetype start, int len) const { return QStringView(text).mid(start, len); }
    QStringView keyName(const Key &k) const { return view(k.nameStart, k.nameLen); }
    QStringView sectionName(const Section &s) const { return view(s.nameStart, s.nameLen); }

    void parse();
    const Section *findSection(QStringView name) const;
    const Key *findKey(const Section &s, QStringView name);
    bool isNumberedItems(const Section &s) const;
};

void ProfileReader::Parsed::parse() {
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    auto nulCut = [&](qsizetype start, qsizetype len) {
        for (qsizetype i = 0; i < len; ++i)
            if (s[start + i] == 0)
                return int(i);
        return int(len);
    };
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
        Key k{ls, -1, 0, 0};
        qsizetype rawNameLen = le - ls;
        if (eq < le) {
            qsizetype ne = eq;
            while (ne > ls && isBlank(s[ne - 1]))
                --ne;
            rawNameLen = ne - ls;
            qsizetype vs = eq + 1;
            while (vs < le && isBlank(s[vs]))
                ++vs;
            k.valueStart = vs;
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

const ProfileReader::Parsed::Section *ProfileReader::Parsed::findSection(QStringView name) const {
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
            const QStringView kn = keyName(keys[k]);
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

const ProfileReader::Parsed &ProfileReader::EnsureParsed() const {
    if (FParsed)
        return *FParsed;
    auto p = std::make_unique<Parsed>();
    QByteArray bytes;
    if (FFromBytes) {
        p->source = Source::Loaded;
        bytes = FBytes;
    } else if (!FPath.isEmpty()) {
        // Only a regular file is read, and never by waiting: a FIFO or device is Unreadable.
        TFileRead file = ReadRegularFile(FPath);
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
            bytes = std::move(file.bytes);
            break;
        }
    }
    if (!bytes.isEmpty()) {
        p->text = decodeProfileText(bytes);
        p->parse();
    }
    FParsed = std::move(p);
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
    std::vector<QStringView> names;
    for (int k = sec->firstKey; k < sec->firstKey + sec->keyCount; ++k) {
        const Parsed::Key &key = p.keys[k];
        const QStringView name = p.keyName(key);
        if (key.valueStart < 0 || (!name.isEmpty() && name[0] == u';'))
            continue; // lines without '=' and comment keys are not listed
        names.push_back(name);
    }
    // The caller grows its buffer while the reported count says it may have been cut.
    auto reportedCount = [&](qint64 size) {
        qint64 left = size;
        for (QStringView name : names) {
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
    for (QStringView name : names) {
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
    if (const Parsed::Section *sec = const_cast<Parsed &>(p).findSectionOfQuery(section)) {
        if (const Parsed::Key *k = const_cast<Parsed &>(p).findKey(*sec, trimBlanks(cutAtNul(key)))) {
            if (k->valueStart >= 0)
                return copyEntry(p.view(k->valueStart, k->valueLen));
        }
    }
    return copyEntry(d);
}

QStringList ProfileReader::SectionNames() const {
    const Parsed &p = EnsureParsed();
    QStringList names;
    if (p.source == Source::Unreadable)
        return names;
    for (int si = 1; si < int(p.sections.size()); ++si) {
        const QStringView name = p.sectionName(p.sections[si]);
        // A nameless header is hidden by the keys before the first header.
        if (!name.isEmpty() && p.findSection(name) == &p.sections[si])
            names.append(name.toString());
    }
    return names;
}

void ProfileReader::ForEachRawKey(const QString &section,
                                  const std::function<void(QStringView, QStringView)> &visit) const {
    const Parsed &p = EnsureParsed();
    if (p.source == Source::Unreadable)
        return;
    auto &parsed = const_cast<Parsed &>(p);
    const Parsed::Section *sec = parsed.findSection(trimBlanks(cutAtNul(section)));
    if (!sec)
        return;
    for (int k = sec->firstKey; k < sec->firstKey + sec->keyCount; ++k) {
        const Parsed::Key &key = p.keys[k];
        const QStringView name = p.keyName(key);
        if (key.valueStart < 0 || name.isEmpty() || name[0] == u';')
            continue;
        if (parsed.findKey(*sec, name) != &key)
            continue; // a later key of the same name is never read
        visit(name, p.view(key.valueStart, key.valueLen));
    }
}

ProfileReader::Unreachable ProfileReader::UnreachableLines() const {
    const Parsed &p = EnsureParsed();
    Unreachable u;
    if (p.source == Source::Unreadable)
        return u;
    for (int si = 0; si < int(p.sections.size()); ++si) {
        const Parsed::Section &sec = p.sections[si];
        const QStringView name = p.sectionName(sec);
        if (si > 0 && p.findSection(name) != &sec)
            u.RepeatedSections.append(name.isEmpty() ? QString() : name.toString());
        for (int k = sec.firstKey; k < sec.firstKey + sec.keyCount; ++k) {
            const Parsed::Key &key = p.keys[k];
            const QStringView line = p.view(key.nameStart, key.nameLen);
            if (key.valueStart < 0 && !line.startsWith(u';'))
                u.LinesWithoutEquals.append({name.toString(), line.toString()});
        }
    }
    return u;
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
