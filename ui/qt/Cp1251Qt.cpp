#include "Cp1251Qt.h"

#include <QByteArray>
#include <QFile>
#include <QStringView>
#include <optional>

#include "Cp1251.h"
#ifdef Q_OS_WIN
#include "Wtf8.h"
#endif

namespace quorrel::qt {

namespace {

// Code points of `text`; a lone surrogate comes out as itself and has no Windows-1251 form.
template <typename Visit>
void ForEachCodePoint(const QString& text, Visit visit) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            visit(static_cast<char32_t>(QChar::surrogateToUcs4(c, text.at(i + 1))), 2);
            ++i;
        } else {
            visit(static_cast<char32_t>(c.unicode()), 1);
        }
    }
}

std::string Encode(const QString& text, std::optional<char> mark) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    ForEachCodePoint(text, [&](char32_t ch, int) {
        if (const auto byte = cp1251::FromUnicode(ch)) {
            out.push_back(static_cast<char>(*byte));
        } else if (mark) {
            out.push_back(*mark);
        }
    });
    return out;
}

}  // namespace

QString FromCp1251(std::string_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        // Windows-1251 lies wholly in the Basic Multilingual Plane.
        out.append(QChar(static_cast<char16_t>(cp1251::ToUnicode(static_cast<std::uint8_t>(c)))));
    }
    return out;
}

std::string ToCp1251(const QString& text) {
    return Encode(text, std::nullopt);
}

std::string ToCp1251Marked(const QString& text) {
    return Encode(text, '?');
}

QString KeepCp1251(const QString& text) {
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    ForEachCodePoint(text, [&](char32_t ch, int units) {
        if (cp1251::FromUnicode(ch)) {
            out.append(QStringView(text).mid(at, units));
        }
        at += units;
    });
    return out;
}

#ifdef Q_OS_WIN
// Windows names are UTF-16 and held as WTF-8, so that any name survives the trip.
QString FromFileName(std::string_view name) {
    const auto utf16 = Utf16FromWtf8(name);
    return utf16 ? QString::fromStdU16String(*utf16) : QString();
}

std::string ToFileName(const QString& name) {
    return Wtf8FromUtf16(name.toStdU16String());
}
#else
QString FromFileName(std::string_view name) {
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

std::string ToFileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}
#endif

QString ForDisplay(std::string_view text) {
    return FromCp1251(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace quorrel::qt
