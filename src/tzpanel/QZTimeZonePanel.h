#pragma once

#include "tzpanel/ZoneNameTree.h"
#include "widgets/ColumnBrowser.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QPushButton;

namespace tockwise {

class ZoneSearchField;

// The modal panel in which one time zone name is chosen from the known names,
// shown as regions, sub-regions and cities in a column browser, or found by
// typing in the search field above it. It is made once
// by its owner and run any number of times; between runs the browser keeps its
// selection.
class QZTimeZonePanel : public QDialog
{
    Q_OBJECT

public:
    // The codes a run ends with: the tags of the buttons that end it.
    static constexpr int cancelCode = 0;
    static constexpr int okCode = 1;

    // A new panel over the known time zone names, centred on the screen.
    static std::unique_ptr<QZTimeZonePanel> timeZonePanel();

    // A panel over the given names ("/"-separated components), placed by the
    // window system.
    explicit QZTimeZonePanel(const QStringList &timeZoneNames, QWidget *parent = nullptr);
    ~QZTimeZonePanel() override;

    // Runs the panel until OK or Cancel, with the name selected beforehand when
    // one is given. The third button reads "Local" when the clock's primary zone
    // is chosen, "Clear" for its alternate zone. Returns okCode or cancelCode.
    int runModalForTimeZoneName(const std::optional<QString> &name, bool primary);
    int runModalForTimeZoneName(const std::optional<QString> &name);

    // The selected name, such as "America/New_York"; none when nothing is selected.
    std::optional<QString> timeZoneName() const;

    void dismissPanel(int code);
    void clearBrowser();

    ColumnBrowser *browser() const { return mBrowser; }
    ZoneSearchField *search() const { return mSearch; }
    QPushButton *okButton() const { return mOKButton; }
    QPushButton *cancelButton() const { return mCancelButton; }
    QPushButton *clearButton() const { return mClearButton; }

protected:
    // Escape and the window manager's close button end the run as Cancel does.
    void reject() override;

private:
    // The third button's text: the primary zone may go local, an alternate one away.
    static QString clearText(bool primary);
    void layOut();
    void connectControls();
    void updateOKButton();

    ZoneSearchField *mSearch = nullptr;
    ColumnBrowser *mBrowser = nullptr;
    const ZoneNameTree mTimeZoneNames;
    ZoneBrowserDelegate mZoneDelegate{[this]() -> const ZoneNameTree & { return mTimeZoneNames; }};
    QPushButton *mOKButton = nullptr;
    QPushButton *mCancelButton = nullptr;
    QPushButton *mClearButton = nullptr;
};

} // namespace tockwise
