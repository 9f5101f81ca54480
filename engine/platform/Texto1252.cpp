#include "engine/platform/Texto1252.h"

#include <QString>

#include <array>

namespace {
// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes, which stand for the C1 control
// of the same value. Both directions use this table: ICU writes 0x1A for an unmappable character,
// and the records want '?'.
constexpr std::array<char16_t, 32> kAlto = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QString De_1252(std::string_view bytes)
{
    // By our table too: Qt decodes "windows-1252" only when built with ICU (the Windows build is
    // not), and an unknown code page would give an empty text.
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const char16_t alto = b >= 0x80 && b < 0xA0 ? kAlto[static_cast<size_t>(b - 0x80)] : 0;
        out.append(QChar(alto != 0 ? alto : char16_t(b)));
    }
    return out;
}

std::string Para_1252(const QString &texto)
{
    std::string out;
    out.reserve(static_cast<size_t>(texto.size()));
    for (QChar c : texto) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 32; ++i)
            if (kAlto[static_cast<size_t>(i)] == u || (kAlto[static_cast<size_t>(i)] == 0 && u == 0x80 + i))
                byte = static_cast<char>(0x80 + i);
        out.push_back(byte);
    }
    return out;
}
