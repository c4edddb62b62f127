#include "DialogUnits.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace quorrel::qt {

DialogUnits DialogUnits::FromFont(const QFontMetrics& metrics) {
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {static_cast<double>((letters / 26 + 1) / 2), static_cast<double>(metrics.height())};
}

int DialogUnits::X(int units) const {
    return static_cast<int>(std::lround(units * baseX_ / 4.0));
}

int DialogUnits::Y(int units) const {
    return static_cast<int>(std::lround(units * baseY_ / 8.0));
}

QRect DialogUnits::Map(const DialogRect& rect) const {
    // Edges are mapped, not sizes, so that neighbours that touch in units touch in pixels.
    const int left = X(rect.x);
    const int top = Y(rect.y);
    return {left, top, X(rect.x + rect.width) - left, Y(rect.y + rect.height) - top};
}

QSize DialogUnits::Map(int width, int height) const {
    return {X(width), Y(height)};
}

void DialogUnits::Fit(const DialogRect& rect, QSize needed) {
    while (rect.width > 0 && Map(rect).width() < needed.width()) {
        baseX_ = std::max(baseX_ + 0.05, needed.width() * 4.0 / rect.width);
    }
    while (rect.height > 0 && Map(rect).height() < needed.height()) {
        baseY_ = std::max(baseY_ + 0.05, needed.height() * 8.0 / rect.height);
    }
}

}  // namespace quorrel::qt
