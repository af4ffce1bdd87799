#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class QLineEdit;
class QListWidget;

namespace tockwise {

class ColumnBrowser;
class ZoneSearch;

// A field in which a time zone is found by typing a city, a country or part of
// its identifier, with the zones it matches listed below it, best first, and its
// browser showing where the zone marked there lies. The keys stay in the field:
// Up and Down move through the list, Return chooses the zone marked there, Escape
// empties the field. With the field empty, Return and Escape go on to the panel
// as if the field were not there.
//
// Marking a zone is not choosing it: with nothing marked (the field emptied, by
// Escape, by hand or by clear(), or nothing matching) the browser shows again
// what it showed before the search, unless the user selected there meanwhile.
class ZoneSearchField : public QWidget
{
    Q_OBJECT

public:
    explicit ZoneSearchField(QWidget *parent = nullptr);
    ~ZoneSearchField() override;

    // The zones to search among; until set, the known zones. The names are
    // gathered at the first search, not before.
    void setZones(const QStringList &zones);

    // The browser that shows the zone marked; none at first.
    void setBrowser(ColumnBrowser *browser);

    // Empties the field and the list, as Escape does.
    void clear();

    QLineEdit *field() const { return mField; }
    QListWidget *matchList() const { return mList; }
    // The zones listed, in their order.
    QStringList listedZones() const;

Q_SIGNALS:
    // Return in the field, or a double click in the list.
    void chosen(const QString &zone);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search(const QString &text);
    QString currentZone() const;
    void showMarked();
    void showUnmarked();

    QLineEdit *mField = nullptr;
    QListWidget *mList = nullptr;
    QPointer<ColumnBrowser> mBrowser;
    // The browser's path before the search marked a zone, and the path it gave it.
    std::optional<QString> mPathBefore;
    QString mPathMarked;
    QStringList mZones;
    bool mZonesGiven = false;
    std::unique_ptr<ZoneSearch> mSearch;
};

} // namespace tockwise
