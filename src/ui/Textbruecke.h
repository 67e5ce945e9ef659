#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace qb {

// The one place where the core's UTF-8 texts meet Qt's strings.
inline QString qtText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace qb
