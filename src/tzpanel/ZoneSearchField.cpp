#include "tzpanel/ZoneSearchField.h"

#include "time/TimeZone.h"
#include "time/ZoneSearch.h"
#include "widgets/ColumnBrowser.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace tockwise {

namespace {

// Rows the list shows before it scrolls.
constexpr int visibleRows = 6;

} // namespace

ZoneSearchField::ZoneSearchField(QWidget *parent) : QWidget(parent)
{
    mField = new QLineEdit(this);
    //: Grey text in the empty search field of the time zone panels.
    mField->setPlaceholderText(tr("Search for a city, country or zone"));
    mField->setAccessibleName(tr("Search time zones"));
    mField->setClearButtonEnabled(true);
    // Qt's clear button is a control of its own, nameless unless named here.
    for (QToolButton *clear : mField->findChildren<QToolButton *>()) {
        //: The button at the end of the zone search field that empties it.
        clear->setAccessibleName(tr("Clear search"));
    }
    mField->installEventFilter(this);
    mList = new QListWidget(this);
    mList->setAccessibleName(tr("Matching time zones"));
    // The keys stay with the field; the list answers the mouse only.
    mList->setFocusPolicy(Qt::NoFocus);
    mList->setFixedHeight(visibleRows * (fontMetrics().height() + 4) + 2 * mList->frameWidth());
    mList->hide();
    setFocusProxy(mField);
    // Room a panel has to spare goes to its browser, not around the field.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mField);
    layout->addWidget(mList);

    connect(mField, &QLineEdit::textChanged, this, &ZoneSearchField::search);
    connect(mList, &QListWidget::currentItemChanged, this, &ZoneSearchField::showMarked);
    connect(mList, &QListWidget::itemActivated, this, [this] {
        if (const QString zone = currentZone(); !zone.isEmpty()) {
            Q_EMIT chosen(zone);
        }
    });
}

ZoneSearchField::~ZoneSearchField() = default;

void ZoneSearchField::setZones(const QStringList &zones)
{
    mZones = zones;
    mZonesGiven = true;
    mSearch.reset();
}

void ZoneSearchField::setBrowser(ColumnBrowser *browser)
{
    mBrowser = browser;
    mPathBefore.reset();
}

void ZoneSearchField::clear()
{
    mField->clear();
}

QStringList ZoneSearchField::listedZones() const
{
    QStringList zones;
    for (int row = 0; row < mList->count(); ++row) {
        if (const QString zone = mList->item(row)->data(Qt::UserRole).toString(); !zone.isEmpty()) {
            zones << zone;
        }
    }
    return zones;
}

QString ZoneSearchField::currentZone() const
{
    const QListWidgetItem *item = mList->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void ZoneSearchField::showMarked()
{
    const QString zone = currentZone();
    if (!mBrowser || zone.isEmpty()) {
        return;
    }
    if (!mPathBefore) {
        mPathBefore = mBrowser->path();
    }
    mBrowser->setPath(u'/' + zone);
    mPathMarked = mBrowser->path();
}

void ZoneSearchField::showUnmarked()
{
    // A zone the user selected in the browser during the search is theirs.
    if (mBrowser && mPathBefore && mBrowser->path() == mPathMarked) {
        mBrowser->setPath(*mPathBefore);
    }
    mPathBefore.reset();
}

void ZoneSearchField::search(const QString &text)
{
    {
        // The marking moves once, to the best match, when the list is full.
        const QSignalBlocker quiet(mList);
        mList->clear();
    }
    if (text.trimmed().isEmpty()) {
        mList->hide();
        showUnmarked();
        return;
    }
    if (!mSearch) {
        mSearch = std::make_unique<ZoneSearch>(
            mZonesGiven ? mZones : TimeZone::knownTimeZoneNames(), ZoneSearch::userLanguage());
    }
    for (const ZoneSearch::Match &match : mSearch->find(text)) {
        auto *item = new QListWidgetItem(
            QStringLiteral("%1 \u2014 %2").arg(mSearch->place(match.zone), match.zone), mList);
        item->setData(Qt::UserRole, match.zone);
    }
    mList->show();
    if (mList->count() > 0) {
        mList->setCurrentRow(0);
        return;
    }
    //: The list of the time zone search when nothing matches what was typed.
    auto *none = new QListWidgetItem(tr("No time zone matches \"%1\".").arg(text), mList);
    none->setFlags(Qt::NoItemFlags);
    showUnmarked();
}

bool ZoneSearchField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != mField || event->type() != QEvent::KeyPress || mField->text().isEmpty()) {
        return QWidget::eventFilter(watched, event);
    }
    auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QCoreApplication::sendEvent(mList, event);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Taken even when nothing matches: the panel's default button would act
        // on a zone the user is no longer looking at.
        if (const QString zone = currentZone(); !zone.isEmpty()) {
            Q_EMIT chosen(zone);
        }
        return true;
    case Qt::Key_Escape:
        clear();
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tockwise
