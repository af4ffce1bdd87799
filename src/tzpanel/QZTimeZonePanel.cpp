#include "tzpanel/QZTimeZonePanel.h"

#include "store/UserDefaults.h"
#include "time/TimeZone.h"
#include "tzpanel/ZoneSearchField.h"
#include "widgets/PanelsAboveClocks.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <iterator>

namespace tockwise {

namespace {

// The browser's room and the panel's margins, in points.
constexpr QSize browserSize{432, 162};
constexpr int sideMargin = 20;
constexpr int bottomMargin = 14;
constexpr int browserGap = 18;
constexpr int buttonGap = 12;
constexpr int buttonWidth = 84;

// Where the panel's position would be remembered; nothing writes it yet.
const QString frameKey = QStringLiteral("QZTimeZonePanel Frame");

} // namespace

std::unique_ptr<QZTimeZonePanel> QZTimeZonePanel::timeZonePanel()
{
    auto panel = std::make_unique<QZTimeZonePanel>(TimeZone::knownTimeZoneNames());
    PanelsAboveClocks::shared().add(panel.get());
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
    mSearch = new ZoneSearchField(this);
    mSearch->setZones(timeZoneNames);
    mBrowser = new ColumnBrowser(this);
    mBrowser->setMinimumSize(browserSize);
    //: Title of the first column of the time zone browser.
    mBrowser->setTitle(tr("Region"), 0);
    //: What a screen reader calls the time zone browser, which has no label.
    mBrowser->setAccessibleName(tr("Time zones"));
    mBrowser->setDelegate(&mZoneDelegate);

    auto button = [this](const QString &text) {
        auto *made = new QPushButton(text, this);
        // Return belongs to OK wherever the focus is, as in a dialog's default button.
        made->setAutoDefault(false);
        made->setMinimumWidth(buttonWidth);
        return made;
    };
    //: Confirms the zone chosen.
    mOKButton = button(tr("OK"));
    mOKButton->setDefault(true);
    //: Closes the panel, nothing changed.
    mCancelButton = button(tr("Cancel"));
    mClearButton = button(clearText(true));
    layOut();
    connectControls();
    updateOKButton();
}

void QZTimeZonePanel::layOut()
{
    // The browser above, the buttons below it: Clear on the left, Cancel and OK on
    // the right.
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(buttonGap);
    buttons->addWidget(mClearButton);
    buttons->addStretch();
    buttons->addWidget(mCancelButton);
    buttons->addWidget(mOKButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(sideMargin, buttonGap, sideMargin, bottomMargin);
    layout->setSpacing(browserGap);
    layout->addWidget(mSearch);
    layout->addWidget(mBrowser, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(mSearch, mBrowser);
    setTabOrder(mBrowser, mClearButton);
    setTabOrder(mClearButton, mCancelButton);
    setTabOrder(mCancelButton, mOKButton);
}

void QZTimeZonePanel::connectControls()
{
    connect(mOKButton, &QPushButton::clicked, this, [this] { dismissPanel(okCode); });
    connect(mCancelButton, &QPushButton::clicked, this, [this] { dismissPanel(cancelCode); });
    connect(mClearButton, &QPushButton::clicked, this, &QZTimeZonePanel::clearBrowser);
    connect(mBrowser, &ColumnBrowser::selectionChanged, this, &QZTimeZonePanel::updateOKButton);
    connect(mBrowser, &ColumnBrowser::leafActivated, mOKButton, &QPushButton::click);
    // Choosing the zone marked in the search confirms it, as Return anywhere else
    // in the panel does.
    mSearch->setBrowser(mBrowser);
    connect(mSearch, &ZoneSearchField::chosen, this, [this](const QString &zone) {
        mBrowser->setPath(u'/' + zone);
        mOKButton->click();
    });
}

QZTimeZonePanel::~QZTimeZonePanel()
{
    // The browser outlives this part of the panel by a moment, as a child widget.
    mBrowser->setDelegate(nullptr);
}

int QZTimeZonePanel::runModalForTimeZoneName(const std::optional<QString> &name, bool primary)
{
    mClearButton->setText(clearText(primary));
    // A search left behind by the last run gives its browser back first.
    mSearch->clear();
    if (name) {
        mBrowser->setPath(u'/' + *name);
    }
    updateOKButton();
    mSearch->setFocus(Qt::OtherFocusReason);
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

} // namespace tockwise
