#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QLineEdit;
class QListWidget;
class ZoneSearch;

// A field in which a time zone is found by typing a city, a country or part of
// its identifier, with the zones it matches listed below it, best first. The
// keys stay in the field: Up and Down move through the list, Return chooses the
// zone marked there, Escape empties the field. With the field empty, Return and
// Escape go on to the panel as if the field were not there.
class ZoneSearchField : public QWidget
{
    Q_OBJECT

public:
    explicit ZoneSearchField(QWidget *parent = nullptr);
    ~ZoneSearchField() override;

    // The zones to search among; until set, the known zones. The names are
    // gathered at the first search, not before.
    void setZones(const QStringList &zones);

    // Empties the field and the list.
    void clear();

    QLineEdit *field() const { return mField; }
    QListWidget *matchList() const { return mList; }
    // The zones listed, in their order.
    QStringList listedZones() const;

Q_SIGNALS:
    // The zone marked in the list, as the marking moves.
    void highlighted(const QString &zone);
    // Return in the field, or a double click in the list.
    void chosen(const QString &zone);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search(const QString &text);
    QString currentZone() const;

    QLineEdit *mField = nullptr;
    QListWidget *mList = nullptr;
    QStringList mZones;
    bool mZonesGiven = false;
    std::unique_ptr<ZoneSearch> mSearch;
};
