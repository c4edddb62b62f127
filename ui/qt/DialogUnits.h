#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QSize>

#include "DialogTemplate.h"

namespace quorrel::qt {

// Dialog units in pixels: a quarter of the dialog font's average character width across,
// an eighth of its height down. Each axis may be widened so that no text is clipped.
class DialogUnits {
  public:
    DialogUnits(double baseX, double baseY) : baseX_(baseX), baseY_(baseY) {}
    // Average width of the Latin letters, rounded as the dialog manager does, and font height.
    static DialogUnits FromFont(const QFontMetrics& metrics);

    double baseX() const { return baseX_; }
    double baseY() const { return baseY_; }

    int X(int units) const;
    int Y(int units) const;
    QRect Map(const DialogRect& rect) const;
    QSize Map(int width, int height) const;

    // Widens the units so that a control of `rect` gets at least `needed` pixels.
    void Fit(const DialogRect& rect, QSize needed);

  private:
    double baseX_;
    double baseY_;
};

}  // namespace quorrel::qt
