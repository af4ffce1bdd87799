// Click-through in TKWController: every clock lets the mouse through, and a
// status item (where the desktop has a tray) switches it off again.

#include "app/StringTable.h"
#include "app/TKWApplication.h"
#include "app/TKWController.h"
#include "graphics/Color.h"
#include "settings/SettingsKeys.h"
#include "store/UserDefaults.h"
#include "widgets/PanelsAboveClocks.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace tockwise {

namespace {

// Trays are as thick as the panels that hold them; the icon leaves a margin.
constexpr int trayThickness = 22;
constexpr int iconMargin = 6;

// A grey dial at three o'clock, for when the application's icon is missing.
QIcon substituteIcon()
{
    QIcon icon;
    const int s = trayThickness - iconMargin;
    for (const int ratio : {1, 2}) {
        QPixmap pixmap(s * ratio, s * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // The dial's own coordinates have y upward.
        painter.translate(0, s);
        painter.scale(1, -1);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Color::lightGray().toQColor());
        painter.drawEllipse(QRectF(0, 0, s, s));
        painter.setPen(QPen(Color::darkGray().toQColor(), 1.0));
        painter.drawLine(QPointF(0.5 * s, 0.5 * s), QPointF(0.5 * s, 0.875 * s));
        painter.drawLine(QPointF(0.5 * s, 0.5 * s), QPointF(0.75 * s, 0.5 * s));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon statusIcon()
{
    const QIcon application = QApplication::windowIcon();
    if (!application.isNull() && !application.availableSizes().isEmpty()) {
        return application;
    }
    const QIcon resource = TKWApplication::applicationIcon();
    if (!resource.pixmap(trayThickness - iconMargin).isNull()) {
        return resource;
    }
    qWarning("Unable to load application icon.");
    return substituteIcon();
}

} // namespace

void TKWController::toggleClickThrough()
{
    UserDefaults &defaults = UserDefaults::standard();
    const bool on = !defaults.boolForKey(Keys::ClickThrough);
    defaults.setBool(Keys::ClickThrough, on);
    if (on) {
        establishStatusItem();
    } else {
        removeStatusItem();
    }
}

void TKWController::setClickThrough(bool on)
{
    if (UserDefaults::standard().boolForKey(Keys::ClickThrough) != on) {
        toggleClickThrough();
    }
}

void TKWController::establishStatusItem()
{
    if (mStatusItem) {
        return;
    }
    auto *item = new QSystemTrayIcon(statusIcon(), this);
    item->setToolTip(StringTable::localizedString(
        QStringLiteral("Click here to cancel Tockwise's click-through feature.")));
    connect(item, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason) { toggleClickThrough(); });
    item->show();
    mStatusItem = item;

    // Without a tray there is no item to click: the explanation, which also names
    // the command that switches click-through off, is then given every time.
    UserDefaults &defaults = UserDefaults::standard();
    const bool tray = mTrayAvailable ? mTrayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    // One that was answered may wait for its deletion; it no longer shows.
    const bool showing = mClickThroughWarning && mClickThroughWarning->isVisible();
    if ((!defaults.boolForKey(Keys::ClickThroughWarning) || !tray) && !showing) {
        // Shown without blocking: the command that switched click-through on may
        // come from another start waiting for its answer, and clocks keep ticking.
        // Nor modal: the status item it tells of must take a click while it shows.
        auto *alert =
            new QMessageBox(QMessageBox::Information, QStringLiteral("Tockwise"),
                            StringTable::localizedString(QStringLiteral("ClickThroughWarning")));
        alert->addButton(StringTable::localizedString(QStringLiteral("OK")),
                         QMessageBox::AcceptRole);
        alert->setAttribute(Qt::WA_DeleteOnClose);
        alert->setWindowModality(Qt::NonModal);
        PanelsAboveClocks::shared().add(alert);
        alert->show();
        mClickThroughWarning = alert;
        defaults.setBool(Keys::ClickThroughWarning, true);
    }
}

void TKWController::removeStatusItem()
{
    // The item may be removed from its own activation: it goes once that has
    // returned, whichever backend (XEmbed or D-Bus) delivered the click.
    if (QSystemTrayIcon *item = mStatusItem) {
        mStatusItem = nullptr;
        item->hide();
        item->deleteLater();
    }
}

} // namespace tockwise
