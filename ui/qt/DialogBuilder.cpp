#include "DialogBuilder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "Cp1251Qt.h"
#include "Cp1251Validator.h"
#include "ListComboBox.h"

namespace quorrel::qt {

namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    // Centred in its box, the text stands level with that of the taller Qt edits beside it.
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, bool isDefault) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(isDefault);
    button->setDefault(isDefault);
    return button;
}

QWidget* MakeControl(QDialog& dialog, const ControlTemplate& wanted) {
    const QString text = ForDisplay(wanted.text);
    switch (wanted.kind) {
        case ControlKind::Label:
        case ControlKind::MultiLineLabel:
            return MakeLabel(&dialog, text);
        case ControlKind::Icon: {
            auto* icon = new QLabel(&dialog);
            icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return icon;
        }
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit: {
            auto* edit = new QLineEdit(&dialog);
            if (wanted.kind == ControlKind::ReadOnlyEdit) {
                edit->setReadOnly(true);
            } else {
                edit->setValidator(new Cp1251Validator(edit));
            }
            return edit;
        }
        case ControlKind::PushButton:
            return MakeButton(&dialog, text, false);
        case ControlKind::DefaultPushButton:
            return MakeButton(&dialog, text, true);
        case ControlKind::ComboBox:
            return new ListComboBox(&dialog);
        case ControlKind::GroupFrame: {
            auto* frame = new QGroupBox(text, &dialog);
            frame->setFocusPolicy(Qt::NoFocus);
            return frame;
        }
    }
    return new QWidget(&dialog);
}

QSize ButtonNeeds(const QPushButton& button) {
    const QSize text = button.fontMetrics().size(Qt::TextShowMnemonic, button.text());
    const QStyle* style = button.style();
    const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
    return {text.width() + margin + frame, text.height() + frame};
}

// Screen readers name a field by its label's buddy. A combo box's edit, which holds the keyboard,
// is no buddy of anything, so it is named outright.
void NameByLabel(QWidget& field, QWidget* before) {
    auto* label = qobject_cast<QLabel*>(before);
    if (label == nullptr) {
        return;
    }
    label->setBuddy(&field);
    if (auto* combo = qobject_cast<QComboBox*>(&field); combo != nullptr && combo->lineEdit()) {
        combo->lineEdit()->setAccessibleName(label->text());
    }
}

}  // namespace

std::vector<BuiltControl> CreateControls(QDialog& dialog, const DialogTemplate& layout) {
    std::vector<BuiltControl> controls;
    controls.reserve(layout.controls.size());
    for (const ControlTemplate& wanted : layout.controls) {
        QWidget* widget = MakeControl(dialog, wanted);
        widget->setObjectName(
            QString::fromLatin1(wanted.name.data(), static_cast<qsizetype>(wanted.name.size())));
        if (IsNamedField(wanted.kind) && !controls.empty()) {
            NameByLabel(*widget, controls.back().widget);
        }
        controls.push_back({&wanted, widget});
    }
    return controls;
}

QSize NeededSize(const BuiltControl& control) {
    switch (control.wanted->kind) {
        case ControlKind::Label:
        case ControlKind::MultiLineLabel:
            return control.widget->sizeHint();
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton:
            return ButtonNeeds(static_cast<const QPushButton&>(*control.widget));
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit:
        case ControlKind::ComboBox:
            // Their text scrolls sideways; only its height must fit.
            return {0, control.widget->minimumSizeHint().height()};
        case ControlKind::GroupFrame:
            return {control.widget->minimumSizeHint().width(), 0};
        case ControlKind::Icon:
            break;
    }
    return {0, 0};
}

DialogUnits PlaceControls(QDialog& dialog, const DialogTemplate& layout,
                          const std::vector<BuiltControl>& controls) {
    DialogUnits units = DialogUnits::FromFont(dialog.fontMetrics());
    for (const BuiltControl& control : controls) {
        units.Fit(control.wanted->rect, NeededSize(control));
    }
    for (const BuiltControl& control : controls) {
        control.widget->setGeometry(units.Map(control.wanted->rect));
    }
    dialog.setFixedSize(units.Map(layout.width, layout.height));
    return units;
}

}  // namespace quorrel::qt
