#pragma once

#include <QDialog>
#include <QWidget>
#include <vector>

#include "DialogTemplate.h"
#include "DialogUnits.h"

namespace quorrel::qt {

struct BuiltControl {
    const ControlTemplate* wanted;
    QWidget* widget;
};

// Creates the template's controls as children of `dialog`, in template order, so that Qt's
// focus chain follows it. Buttons are never default buttons unless the template says so.
std::vector<BuiltControl> CreateControls(QDialog& dialog, const DialogTemplate& layout);

// The pixels a control needs for its text to show whole.
QSize NeededSize(const BuiltControl& control);

// Maps the template's units from the dialog's font, widened until no text is clipped, places
// the controls and fixes the dialog's size.
DialogUnits PlaceControls(QDialog& dialog, const DialogTemplate& layout,
                          const std::vector<BuiltControl>& controls);

}  // namespace quorrel::qt
