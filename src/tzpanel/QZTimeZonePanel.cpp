#include "tzpanel/QZTimeZonePanel.h"

#include "graphics/Geometry.h"
#include "store/UserDefaults.h"
#include "time/TimeZone.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <iterator>

namespace {

// The layout in points, origin at the bottom left of the panel's content.
constexpr Size contentSize{472, 222};
constexpr Rect browserFrame{20, 60, 432, 162};
constexpr Rect okFrame{362, 12, 96, 32};
constexpr Rect cancelFrame{266, 12, 96, 32};
constexpr Rect clearFrame{20, 12, 96, 32};
// The button frames above take in the blank margin that a rounded push button of
// the original platform keeps around its bezel; ours draw to their edges.
constexpr float buttonMarginX = 6;
constexpr float buttonMarginY = 2;

// Where the panel's position would be remembered; nothing writes it yet.
const QString frameKey = QStringLiteral("QZTimeZonePanel Frame");

QRect qtRect(const Rect &frame)
{
    return QRect(qRound(frame.x), qRound(contentSize.height - frame.maxY()), qRound(frame.width),
                 qRound(frame.height));
}

} // namespace

std::unique_ptr<QZTimeZonePanel> QZTimeZonePanel::timeZonePanel()
{
    auto panel = std::make_unique<QZTimeZonePanel>(TimeZone::knownTimeZoneNames());
    if (!UserDefaults::standard().objectForKey(frameKey).asString()) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), panel->size());
            frame.moveCenter(screen->availableGeometry().center());
            panel->move(frame.topLeft());
        }
    }
    return panel;
}

QString QZTimeZonePanel::clearText(bool primary)
{
    //: Button of the time zone panel: the clock follows the computer's time zone.
    return primary ? tr("Local")
                   //: Button of the time zone panel: the clock loses its alternate time zone.
                   : tr("Clear");
}

QZTimeZonePanel::QZTimeZonePanel(const QStringList &timeZoneNames, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      mTimeZoneNames(ZoneNameTree::fromNames(timeZoneNames))
{
    setWindowTitle(tr("Time Zone"));
    setFixedSize(qRound(contentSize.width), qRound(contentSize.height));

    mBrowser = new ColumnBrowser(this);
    mBrowser->setGeometry(qtRect(browserFrame));
    //: Title of the first column of the time zone browser.
    mBrowser->setTitle(tr("Region"), 0);
    mBrowser->setDelegate(&mZoneDelegate);

    auto button = [this](const QString &text, const Rect &frame) {
        auto *made = new QPushButton(text, this);
        // Return belongs to OK wherever the focus is, as on the original platform.
        made->setAutoDefault(false);
        made->setGeometry(qtRect(frame.insetBy(buttonMarginX, buttonMarginY)));
        return made;
    };
    //: Confirms the zone chosen.
    mOKButton = button(tr("OK"), okFrame);
    mOKButton->setDefault(true);
    //: Closes the panel, nothing changed.
    mCancelButton = button(tr("Cancel"), cancelFrame);
    mClearButton = button(clearText(true), clearFrame);
    setTabOrder(mBrowser, mClearButton);
    setTabOrder(mClearButton, mCancelButton);
    setTabOrder(mCancelButton, mOKButton);

    connect(mOKButton, &QPushButton::clicked, this, [this] { dismissPanel(okCode); });
    connect(mCancelButton, &QPushButton::clicked, this, [this] { dismissPanel(cancelCode); });
    connect(mClearButton, &QPushButton::clicked, this, &QZTimeZonePanel::clearBrowser);
    connect(mBrowser, &ColumnBrowser::selectionChanged, this, &QZTimeZonePanel::updateOKButton);
    connect(mBrowser, &ColumnBrowser::leafActivated, mOKButton, &QPushButton::click);
    updateOKButton();
}

QZTimeZonePanel::~QZTimeZonePanel()
{
    // The browser outlives this part of the panel by a moment, as a child widget.
    mBrowser->setDelegate(nullptr);
}

int QZTimeZonePanel::runModalForTimeZoneName(const std::optional<QString> &name, bool primary)
{
    mClearButton->setText(clearText(primary));
    if (name) {
        mBrowser->setPath(u'/' + *name);
    }
    updateOKButton();
    mBrowser->setFocus(Qt::OtherFocusReason);
    return exec();
}

int QZTimeZonePanel::runModalForTimeZoneName(const std::optional<QString> &name)
{
    return runModalForTimeZoneName(name, false);
}

std::optional<QString> QZTimeZonePanel::timeZoneName() const
{
    const QString path = mBrowser->path();
    if (path.isEmpty() || path == u'/') {
        return std::nullopt;
    }
    return path.mid(1);
}

void QZTimeZonePanel::dismissPanel(int code)
{
    done(code);
}

void QZTimeZonePanel::clearBrowser()
{
    mBrowser->setPath(QStringLiteral("/"));
}

void QZTimeZonePanel::reject()
{
    dismissPanel(cancelCode);
}

// A region alone names no zone, so it cannot be confirmed; nothing at all can,
// and means the clock's own or no alternate zone.
void QZTimeZonePanel::updateOKButton()
{
    mOKButton->setEnabled(mBrowser->selectedColumn() < 0 || mBrowser->selectionIsLeaf());
}
