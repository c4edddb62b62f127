#include <xcb/xcb.h>

#include <QAccessible>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <vector>

#include "QtMainWindow.h"
#include "TempDir.h"

using namespace quorrel;
using namespace quorrel::qt;

namespace {

// What screen readers and window managers see of the main window. Runs on the xcb platform
// (under xvfb-run), where the window manager hints are real X properties.
xcb_connection_t* Connection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->connection();
}

xcb_atom_t Atom(const char* name) {
    const auto cookie =
        xcb_intern_atom(Connection(), 0, static_cast<uint16_t>(qstrlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(Connection(), cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The property's 32-bit items; empty when the window lacks it.
std::vector<uint32_t> Property(const QWidget& window, const char* name) {
    const auto id = static_cast<xcb_window_t>(window.winId());
    const auto cookie =
        xcb_get_property(Connection(), 0, id, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(Connection(), cookie, nullptr), &free);
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {items, items + xcb_get_property_value_length(reply.get()) / 4};
}

QStringList AtomNames(const std::vector<uint32_t>& atoms) {
    QStringList names;
    for (const uint32_t atom : atoms) {
        const std::unique_ptr<xcb_get_atom_name_reply_t, decltype(&free)> reply(
            xcb_get_atom_name_reply(Connection(), xcb_get_atom_name(Connection(), atom), nullptr),
            &free);
        names << (reply ? QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                              xcb_get_atom_name_name_length(reply.get()))
                        : QStringLiteral("?"));
    }
    return names;
}

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face == nullptr ? QStringLiteral("(none)") : face->text(QAccessible::Name);
}

}  // namespace

class QtWindowPropertiesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<QtMainWindow> window_;

  private slots:
    void init() {
        QVERIFY2(Connection() != nullptr, "needs QT_QPA_PLATFORM=xcb and an X display");
        dir_ = std::make_unique<test::TempDir>();
        window_ = std::make_unique<QtMainWindow>(SettingsFile(dir_->File("Quorrel.ini")));
    }
    void cleanup() { window_.reset(); }

    // Each field is named by the label beside it, a combo box's edit as well.
    void FieldsAreNamedByTheirLabels() {
        const std::pair<ControlId, QString> fields[] = {
            {ControlId::DiffPath, "DIF файл"}, {ControlId::ImagePath, "BIN файл"},
            {ControlId::Title, "Название"},    {ControlId::Group, "Группа"},
            {ControlId::Version, "Версия"},    {ControlId::Description, "Описание"},
            {ControlId::Firmware, "Прошивка"}};
        for (const auto& [id, label] : fields) {
            QWidget* control = window_->control(id);
            QCOMPARE(AccessibleName(control), label);
            if (auto* combo = qobject_cast<QComboBox*>(control)) {
                QCOMPARE(AccessibleName(combo->lineEdit()), label);
            }
        }
    }

    // During its run the window is a normal, fixed-size top-level window, owned by nothing,
    // modal to nothing and listed in the task bar; Escape still ends the run.
    void ModalRunIsANormalWindow() {
        QStringList type, state, transient;
        std::vector<uint32_t> sizeHints;
        QTimer::singleShot(0, window_.get(), [&] {
            QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
            type = AtomNames(Property(*window_, "_NET_WM_WINDOW_TYPE"));
            state = AtomNames(Property(*window_, "_NET_WM_STATE"));
            transient = AtomNames(Property(*window_, "WM_TRANSIENT_FOR"));
            sizeHints = Property(*window_, "WM_NORMAL_HINTS");
            QTest::keyClick(window_->control(ControlId::Title), Qt::Key_Escape);
        });
        QTimer::singleShot(10000, window_.get(), [this] { window_->done(-1); });
        QCOMPARE(window_->exec(), int(QDialog::Accepted));
        QCOMPARE(type, QStringList{"_NET_WM_WINDOW_TYPE_NORMAL"});
        QCOMPARE(transient.size(), 0);
        QVERIFY2(
            !state.contains("_NET_WM_STATE_MODAL") && !state.contains("_NET_WM_STATE_SKIP_TASKBAR"),
            qPrintable(state.join(' ')));
        // Flags, then four pad items, then the minimum and maximum sizes.
        QVERIFY(sizeHints.size() >= 9);
        const uint32_t minAndMax = (1u << 4) | (1u << 5);
        QCOMPARE(sizeHints[0] & minAndMax, minAndMax);
        QCOMPARE((std::vector<uint32_t>{sizeHints[5], sizeHints[6]}),
                 (std::vector<uint32_t>{sizeHints[7], sizeHints[8]}));
    }
};

QTEST_MAIN(QtWindowPropertiesTest)
#include "QtWindowPropertiesTest.moc"
