#include "mainwindow/WindowTheme.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>

namespace {

double RelativeLuminance(const QColor &c) {
    auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

QColor Mix(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t),
                            float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}

constexpr double ReadableContrast = 4.5;

} // namespace

double ContrastRatio(const QColor &a, const QColor &b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette DarkPalette() {
    const QColor window(53, 53, 53), base(42, 42, 42), text(Qt::white), disabled(127, 127, 127);
    const QColor accent(42, 130, 218);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(75, 75, 75));
    p.setColor(QPalette::Midlight, QColor(62, 62, 62));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(35, 35, 35));
    p.setColor(QPalette::Shadow, QColor(20, 20, 20));
    p.setColor(QPalette::Link, QColor(90, 160, 230));
    p.setColor(QPalette::LinkVisited, QColor(160, 130, 230));
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::black); // white on the accent reads below 4.5:1
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, disabled);
    return p;
}

QColor FieldHighlightColour(const QPalette &palette) {
    const QColor text = palette.color(QPalette::Text);
    // Styles draw a drop-down as a button, lighter than its colour (Fusion by a good quarter on
    // dark colours): the text must read on that too.
    auto readable = [&text](const QColor &c) {
        return ContrastRatio(c, text) >= ReadableContrast &&
               ContrastRatio(c.lighter(140), text) >= ReadableContrast;
    };
    const QColor lightYellow(255, 255, 200);
    if (readable(lightYellow))
        return lightYellow;
    // Light text: tint the base towards yellow, as far as the text stays readable on it.
    const QColor base = palette.color(QPalette::Base);
    for (double t = 0.3; t > 0.01; t -= 0.05) {
        const QColor tinted = Mix(base, QColor(255, 220, 0), t);
        if (readable(tinted))
            return tinted;
    }
    return base;
}

void HighlightField(QWidget *control) {
    // Derived from what the field shows without the highlight, not from an earlier highlight.
    const QPalette plain =
        control->parentWidget() ? control->parentWidget()->palette() : QApplication::palette();
    const QColor background = FieldHighlightColour(plain);
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Button, background);
    palette.setColor(QPalette::Text, plain.color(QPalette::Text));
    palette.setColor(QPalette::ButtonText, plain.color(QPalette::Text));
    control->setPalette(palette);
}

void ApplyThemeFromEnvironment() {
    const QString theme = qEnvironmentVariable("SAPLOGON_EDITOR_THEME").trimmed().toLower();
    if (theme != QLatin1String("dark") && theme != QLatin1String("light"))
        return;
    QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!fusion)
        return;
    QApplication::setStyle(fusion); // the application owns it from here
    QApplication::setPalette(theme == QLatin1String("dark") ? DarkPalette() : fusion->standardPalette());
}
