#include "AboutBox.h"

#include <QLabel>
#include <QPushButton>

#include "AboutBoxLayout.h"
#include "Cp1251Qt.h"
#include "DialogBuilder.h"

namespace quorrel::qt {

AboutBox::AboutBox(QWidget* owner, const QIcon& icon) : QDialog(owner) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(FromCp1251(layout::kAboutBox.caption));
    setObjectName(QStringLiteral("aboutBox"));
    const std::vector<BuiltControl> controls = CreateControls(*this, layout::kAboutBox);
    PlaceControls(*this, layout::kAboutBox, controls);
    for (const BuiltControl& control : controls) {
        if (control.wanted->kind == ControlKind::Icon) {
            auto* label = static_cast<QLabel*>(control.widget);
            const int side = std::min(label->width(), label->height());
            label->setPixmap(icon.pixmap(QSize(side, side)));
        } else if (control.wanted->id == layout::kAboutOkId) {
            connect(static_cast<QPushButton*>(control.widget), &QPushButton::clicked, this,
                    &QDialog::accept);
            control.widget->setFocus();
        }
    }
}

}  // namespace quorrel::qt
