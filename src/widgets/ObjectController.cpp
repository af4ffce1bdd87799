#include "widgets/ObjectController.h"

#include "store/ValueTransformer.h"
#include "widgets/ColorWell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tockwise {

namespace {

enum class Kind
{
    EnablingOnly,
    CheckBox,
    Slider,
    SpinBox,
    DoubleSpinBox,
    ComboBox,
    Label,
    ColorWell,
};

QString stringProperty(const QWidget *widget, const char *name)
{
    return widget->property(name).toString();
}

// A colour well is a button, so it must be recognised before anything wider.
Kind kindOf(QWidget *widget)
{
    if (qobject_cast<ColorWell *>(widget)) {
        return Kind::ColorWell;
    }
    if (qobject_cast<QCheckBox *>(widget)) {
        return Kind::CheckBox;
    }
    if (qobject_cast<QSlider *>(widget)) {
        return Kind::Slider;
    }
    if (qobject_cast<QSpinBox *>(widget)) {
        return Kind::SpinBox;
    }
    if (qobject_cast<QDoubleSpinBox *>(widget)) {
        return Kind::DoubleSpinBox;
    }
    if (qobject_cast<QComboBox *>(widget)) {
        return Kind::ComboBox;
    }
    if (qobject_cast<QLabel *>(widget)) {
        return Kind::Label;
    }
    return Kind::EnablingOnly;
}

// NaN and infinities from a damaged file read as nothing at all.
std::optional<double> finiteNumber(const PropertyList &value)
{
    const std::optional<double> number = value.doubleValue();
    if (!number || !std::isfinite(*number)) {
        return std::nullopt;
    }
    return number;
}

// The slider's whole travel is the range 0.0 to 1.0 of a fraction such as the opacity.
int sliderPosition(const QSlider &slider, const PropertyList &value)
{
    const double fraction = std::clamp(finiteNumber(value).value_or(0.0), 0.0, 1.0);
    const int span = slider.maximum() - slider.minimum();
    return slider.minimum() + static_cast<int>(std::lround(fraction * span));
}

double sliderFraction(const QSlider &slider, int position)
{
    const int span = slider.maximum() - slider.minimum();
    return span > 0 ? static_cast<double>(position - slider.minimum()) / span : 0.0;
}

// Cut toward zero, as the clock reads a stored size; clamped first, since a
// damaged file may hold anything.
int spinBoxValue(const QSpinBox &box, const PropertyList &value)
{
    const double number = finiteNumber(value).value_or(box.minimum());
    const double clamped = std::clamp(std::trunc(number), static_cast<double>(box.minimum()),
                                      static_cast<double>(box.maximum()));
    return static_cast<int>(clamped);
}

// An absent value reads as 0, as it does for the clock; a value that is no
// number, or one that names no entry, selects nothing.
int comboBoxIndex(const QComboBox &box, const ObservableDictionary *content,
                  const PropertyList &value)
{
    if (!content || value.isNone()) {
        return content ? 0 : -1;
    }
    const std::optional<std::int32_t> index = value.intValue();
    return index && *index >= 0 && *index < box.count() ? *index : -1;
}

} // namespace

struct ObjectController::Binding
{
    QPointer<QWidget> widget;
    Kind kind = Kind::EnablingOnly;
    QString key;
    QString transformerName;
    QString enabledKey;
    bool enabledWhen = true;
    QString nullPlaceholder;
};

ObjectController::ObjectController(QWidget *controls, QObject *parent)
    : QObject(parent), mControls(controls)
{}

ObjectController::~ObjectController() = default;

QList<QWidget *> ObjectController::boundWidgets() const
{
    QList<QWidget *> widgets;
    for (const auto &binding : mBindings) {
        if (binding->widget) {
            widgets << binding->widget;
        }
    }
    return widgets;
}

void ObjectController::setContent(std::shared_ptr<ObservableDictionary> content)
{
    if (!mCollected) {
        collectBindings();
    }
    mObservations.clear();
    mContent = std::move(content);
    observeContent();
    for (auto &binding : mBindings) {
        show(*binding);
        showEnabled(*binding);
    }
}

void ObjectController::collectBindings()
{
    mCollected = true;
    if (!mControls) {
        return;
    }
    QList<QWidget *> widgets = mControls->findChildren<QWidget *>();
    widgets.prepend(mControls);
    for (QWidget *widget : widgets) {
        auto binding = std::make_unique<Binding>();
        binding->widget = widget;
        binding->key = stringProperty(widget, bindingKeyProperty);
        binding->enabledKey = stringProperty(widget, enabledKeyProperty);
        if (binding->key.isEmpty() && binding->enabledKey.isEmpty()) {
            continue;
        }
        binding->kind = binding->key.isEmpty() ? Kind::EnablingOnly : kindOf(widget);
        binding->transformerName = stringProperty(widget, valueTransformerProperty);
        const QVariant enabledWhen = widget->property(enabledWhenProperty);
        binding->enabledWhen = !enabledWhen.isValid() || enabledWhen.toBool();
        binding->nullPlaceholder = stringProperty(widget, nullPlaceholderProperty);
        connectUserChanges(*binding);
        mBindings.push_back(std::move(binding));
    }
}

void ObjectController::connectUserChanges(Binding &binding)
{
    Binding *b = &binding;
    QWidget *widget = binding.widget;
    switch (binding.kind) {
    case Kind::EnablingOnly:
    case Kind::Label:
        break;
    case Kind::CheckBox:
        connect(static_cast<QCheckBox *>(widget), &QCheckBox::toggled, this,
                [this, b](bool on) { write(*b, PropertyList::boolean(on)); });
        break;
    case Kind::Slider:
        connect(static_cast<QSlider *>(widget), &QSlider::valueChanged, this, [this, b](int value) {
            if (const auto *slider = qobject_cast<QSlider *>(b->widget)) {
                write(*b, PropertyList::real(sliderFraction(*slider, value)));
            }
        });
        break;
    case Kind::SpinBox:
        connect(static_cast<QSpinBox *>(widget), &QSpinBox::valueChanged, this,
                [this, b](int value) { write(*b, PropertyList::integer(value)); });
        break;
    case Kind::DoubleSpinBox:
        connect(static_cast<QDoubleSpinBox *>(widget), &QDoubleSpinBox::valueChanged, this,
                [this, b](double value) { write(*b, PropertyList::real(value)); });
        break;
    case Kind::ComboBox:
        connect(static_cast<QComboBox *>(widget), &QComboBox::currentIndexChanged, this,
                [this, b](int index) {
                    if (index >= 0) {
                        write(*b, PropertyList::integer(index));
                    }
                });
        break;
    case Kind::ColorWell:
        connect(static_cast<ColorWell *>(widget), &ColorWell::colorValueChosen, this,
                [this, b](const PropertyList &value) { write(*b, value); });
        break;
    }
}

void ObjectController::observeContent()
{
    if (!mContent) {
        return;
    }
    QSet<QString> keys;
    for (const auto &binding : mBindings) {
        for (const QString &key : {binding->key, binding->enabledKey}) {
            if (!key.isEmpty() && !keys.contains(key)) {
                keys.insert(key);
                mObservations.push_back(mContent->observe(
                    key, [this](const QString &changed) { keyChanged(changed); }));
            }
        }
    }
}

void ObjectController::keyChanged(const QString &key)
{
    for (auto &binding : mBindings) {
        if (binding->key == key) {
            show(*binding);
        }
        if (binding->enabledKey == key) {
            showEnabled(*binding);
        }
    }
}

PropertyList ObjectController::shownValue(const Binding &binding) const
{
    const PropertyList *stored = mContent ? mContent->value(binding.key) : nullptr;
    if (!stored) {
        return {};
    }
    if (binding.transformerName.isEmpty()) {
        return *stored;
    }
    const ValueTransformer *transformer =
        ValueTransformer::valueTransformerForName(binding.transformerName);
    return transformer ? transformer->transformedValue(*stored) : PropertyList();
}

void ObjectController::show(Binding &binding)
{
    QWidget *widget = binding.widget;
    if (!widget || binding.kind == Kind::EnablingOnly) {
        return;
    }
    const PropertyList value = shownValue(binding);
    ++mShowing;
    switch (binding.kind) {
    case Kind::EnablingOnly:
        break;
    case Kind::CheckBox:
        static_cast<QCheckBox *>(widget)->setChecked(value.boolValue().value_or(false));
        break;
    case Kind::Slider: {
        auto *slider = static_cast<QSlider *>(widget);
        slider->setValue(sliderPosition(*slider, value));
        break;
    }
    case Kind::SpinBox: {
        auto *box = static_cast<QSpinBox *>(widget);
        box->setValue(spinBoxValue(*box, value));
        break;
    }
    case Kind::DoubleSpinBox: {
        auto *box = static_cast<QDoubleSpinBox *>(widget);
        box->setValue(finiteNumber(value).value_or(box->minimum()));
        break;
    }
    case Kind::ComboBox: {
        auto *box = static_cast<QComboBox *>(widget);
        box->setCurrentIndex(comboBoxIndex(*box, mContent.get(), value));
        break;
    }
    case Kind::Label: {
        auto *label = static_cast<QLabel *>(widget);
        const QString *text = value.asString();
        const bool present = text && !text->isEmpty();
        label->setText(present ? *text : binding.nullPlaceholder);
        // Paths can be longer than the panel is wide. Marked as rich text, so
        // that a file name that looks like markup shows as written.
        label->setToolTip(present ? QStringLiteral("<qt>%1</qt>").arg(text->toHtmlEscaped())
                                  : QString());
        break;
    }
    case Kind::ColorWell:
        static_cast<ColorWell *>(widget)->setColorValue(value);
        break;
    }
    --mShowing;
}

void ObjectController::showEnabled(Binding &binding)
{
    if (!binding.widget) {
        return;
    }
    bool enabled = mContent != nullptr;
    if (enabled && !binding.enabledKey.isEmpty()) {
        const PropertyList *value = mContent->value(binding.enabledKey);
        const bool on = value && value->boolValue().value_or(false);
        enabled = on == binding.enabledWhen;
    }
    binding.widget->setEnabled(enabled);
}

void ObjectController::write(const Binding &binding, const PropertyList &controlValue)
{
    if (mShowing > 0 || !mContent) {
        return;
    }
    PropertyList stored = controlValue;
    if (!binding.transformerName.isEmpty()) {
        const ValueTransformer *transformer =
            ValueTransformer::valueTransformerForName(binding.transformerName);
        if (!transformer || !transformer->allowsReverseTransformation()) {
            return;
        }
        stored = transformer->reverseTransformedValue(controlValue);
        // A value the transformer cannot convert would remove the key: keep the old one.
        if (stored.isNone()) {
            return;
        }
    }
    // None from the control itself removes the key, as Cancel in a colour well
    // does for a colour that was never stored. The observers may replace the
    // content while they are told.
    const std::shared_ptr<ObservableDictionary> content = mContent;
    content->setValue(binding.key, stored);
}

} // namespace tockwise
