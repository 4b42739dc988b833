// The equaliser panel under any sequence of property values and sizes: every property reads back
// as set, the curves keep their fixed number of points, disabled bands stay flat, and painting
// onto an image stays defined. Pixel sizes (borders, margins, pen widths, anchors) take any size
// a widget can have; every other property takes any value, NaN and infinities included.

#include "EqFuzzInput.h"
#include "OrvaneEQPanel.h"

#include <QApplication>
#include <QDebug>
#include <QImage>
#include <QMetaProperty>
#include <QPainter>
#include <QResizeEvent>

#include <cmath>

namespace {

bool isPixelSize(const char* name)
{
    static const QList<QByteArray> names { "AxisBorderWidth", "AxisLeftMargin", "AnchorSize", "ActiveCurveWidth",
        "InactiveCurveWidth", "AnchorPickupSize" };
    return names.contains(QByteArray(name));
}

QVariant consumeValue(FuzzedDataProvider& data, const QMetaProperty& property)
{
    switch (property.userType()) {
    case QMetaType::Double:
        return consumeAnyDouble(data);
    case QMetaType::Bool:
        return data.ConsumeBool();
    case QMetaType::QColor:
        return QColor::fromRgba(data.ConsumeIntegral<quint32>());
    default:
        return isPixelSize(property.name()) ? consumePixels(data, -PixelLimit) : consumeAnyInt(data, -10, 50000);
    }
}

bool sameValue(const QVariant& read, const QVariant& written, const char* name)
{
    if (written.userType() == QMetaType::Double) {
        // -0.0 written over 0.0 changes nothing, and reads back as 0.0.
        const double a = read.toDouble();
        const double b = written.toDouble();
        return a == b || (std::isnan(a) && std::isnan(b));
    }
    if (qstrcmp(name, "NrOfPoints") == 0)
        return read.toInt() == qBound(0, written.toInt(), EqCurveModel::MaxPoints);
    return read == written;
}

void setSomeProperty(FuzzedDataProvider& data, OrvaneEQPanel& panel)
{
    const QMetaObject& meta = OrvaneEQPanel::staticMetaObject;
    // Counted from the panel's first property, in the order they are declared.
    const int index = data.ConsumeIntegralInRange(0, meta.propertyCount() - meta.propertyOffset() - 1);
    const QMetaProperty property = meta.property(meta.propertyOffset() + index);
    const QVariant value = consumeValue(data, property);
    FUZZ_CHECK(property.write(&panel, value));
    const QVariant read = property.read(&panel);
    if (!sameValue(read, value, property.name()))
        qWarning() << "property" << property.name() << "written" << value << "read" << read;
    FUZZ_CHECK(sameValue(read, value, property.name()));
}

// A resize as the widget gets it when shown, so the curves follow the new geometry.
void resize(FuzzedDataProvider& data, OrvaneEQPanel& panel)
{
    const QSize old = panel.size();
    const int width = consumePixels(data, 0);
    const int height = consumePixels(data, 0);
    panel.resize(width, height);
    QResizeEvent event(panel.size(), old);
    QCoreApplication::sendEvent(&panel, &event);
}

void checkBands(const OrvaneEQPanel& panel)
{
    FUZZ_CHECK(panel.responsePoints().size() == EqCurveModel::MaxPoints);
    FUZZ_CHECK(panel.lowCutPoints().size() == EqCurveModel::MaxPoints);
    const int types[] = { panel.TypeBand1(), panel.TypeBand2(), panel.TypeBand3(), panel.TypeBand4(), panel.TypeBand5(),
        panel.TypeBand6() };
    const bool on[]
        = { panel.OnBand1(), panel.OnBand2(), panel.OnBand3(), panel.OnBand4(), panel.OnBand5(), panel.OnBand6() };
    for (int band = 1; band <= EqCurveModel::BandCount; ++band) {
        if (on[band - 1] && types[band - 1] >= EQ_HIGH_PASS && types[band - 1] <= EQ_PEAK_SECOND_FORM)
            continue;
        const EqSection s = panel.section(band);
        FUZZ_CHECK(s.k == 1.0f && s.zeros.re1 == 0.0f && s.zeros.im1 == 0.0f && s.poles.re1 == 0.0f);
    }
}

void paint(const OrvaneEQPanel& panel)
{
    // The painter clips to the image, so a small one keeps the run fast at any widget size.
    QImage image(qBound(1, panel.width(), 160), qBound(1, panel.height(), 120), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    panel.paintPanel(painter);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeApplication<QApplication>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    OrvaneEQPanel panel;
    resize(data, panel);
    for (int i = 0; i < 24 && data.remaining_bytes() > 0; ++i) {
        if (data.ConsumeIntegralInRange(0, 7) == 0)
            resize(data, panel);
        else
            setSomeProperty(data, panel);
    }
    checkBands(panel);
    paint(panel);
    return 0;
}
