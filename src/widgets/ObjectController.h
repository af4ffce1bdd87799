#pragma once

#include "store/ObservableDictionary.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QWidget;

namespace tockwise {

// Keeps the controls of a settings panel and a clock's settings in step, both
// ways. What a control shows is declared on it as dynamic properties (set in the
// interface file), read once, the first time the controller is given content:
//
//   bindingKey       the settings key the control shows and writes
//   valueTransformer name of a registered ValueTransformer between the stored
//                    value and the control's value (forward to show, reverse to write)
//   enabledKey       a key whose boolValue enables the control (labels and plain
//                    buttons too); absent or unreadable counts as NO
//   enabledWhen      the boolValue of enabledKey that enables it (default true)
//   nullPlaceholder  a label's text while its value is absent or not a string
//
// A control writes only when the user changes it: showing a setting, damaged or
// of the wrong kind, never writes it back.
class ObjectController : public QObject
{
    Q_OBJECT

public:
    static constexpr char bindingKeyProperty[] = "bindingKey";
    static constexpr char valueTransformerProperty[] = "valueTransformer";
    static constexpr char enabledKeyProperty[] = "enabledKey";
    static constexpr char enabledWhenProperty[] = "enabledWhen";
    static constexpr char nullPlaceholderProperty[] = "nullPlaceholder";

    // `controls` and its descendants carry the bindings.
    explicit ObjectController(QWidget *controls, QObject *parent = nullptr);
    ~ObjectController() override;

    // Without content every bound control is disabled and shows nothing.
    void setContent(std::shared_ptr<ObservableDictionary> content);
    const std::shared_ptr<ObservableDictionary> &content() const { return mContent; }

    // The widgets found carrying a binding or an enabling key.
    QList<QWidget *> boundWidgets() const;

private:
    struct Binding;

    void collectBindings();
    void connectUserChanges(Binding &binding);
    void observeContent();
    void keyChanged(const QString &key);
    void show(Binding &binding);
    void showEnabled(Binding &binding);
    PropertyList shownValue(const Binding &binding) const;
    void write(const Binding &binding, const PropertyList &controlValue);

    QPointer<QWidget> mControls;
    bool mCollected = false;
    std::vector<std::unique_ptr<Binding>> mBindings;
    std::shared_ptr<ObservableDictionary> mContent;
    std::vector<Observation> mObservations;
    // Above zero while controls are being set from the settings: their change
    // signals then must not write.
    int mShowing = 0;
};

} // namespace tockwise
