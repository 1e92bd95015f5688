// Under a dark palette applied at start, every label and field, the focused field and the about
// box stay readable: 4.5:1 at least between the text and what lies behind it, measured on the
// pixels as drawn.
#include "MainWindowFixture.h"

#include "LocalHttpServer.h"
#include "about/uAbout102.h"
#include "mainwindow/WindowTheme.h"

#include <QHash>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

namespace {

// The contrast of the strongest pixel of an area against its most frequent one, the background.
double TextContrast(const QImage &image, const QRect &area) {
    const QRect inside = area & image.rect();
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), background = it.key();
    double strongest = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        strongest = std::max(strongest, ContrastRatio(QColor(background), QColor(it.key())));
    return strongest;
}

// Where a field draws its text: frames, focus marks and the caret lie outside.
QRect TextArea(QWidget *field) {
    if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        edit->setCursorPosition(0);
        const QRect first = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        edit->setCursorPosition(int(edit->text().size()));
        const QRect last = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        return QRect(QPoint(first.center().x() + 1, first.top()),
                     QPoint(last.center().x() - 2, last.bottom()));
    }
    auto *combo = qobject_cast<QComboBox *>(field);
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.currentText = combo->currentText();
    return combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
}

} // namespace

class TestDarkPalette : public QObject {
    Q_OBJECT

    // Measures an area of a control as the window shows it.
    static void Check(QWidget &window, QWidget *control, const QRect &area, const QString &what) {
        QApplication::processEvents();
        const QImage shot = window.grab().toImage();
        const QRect shown(control->mapTo(&window, area.topLeft()), area.size());
        const double contrast = TextContrast(shot, shown);
        QVERIFY2(
            contrast >= 4.5,
            qPrintable(
                QStringLiteral("%1 (%2): %3:1").arg(control->objectName(), what).arg(contrast, 0, 'f', 2)));
    }

private Q_SLOTS:
    // As a user without a desktop palette gets it.
    void initTestCase() {
        qputenv("SAPLOGON_EDITOR_THEME", "Dark");
        ApplyThemeFromEnvironment();
        QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
        QCOMPARE(QApplication::palette().color(QPalette::Base), DarkPalette().color(QPalette::Base));
    }

    void pagesRead_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("Systems") << 0;
        QTest::newRow("Global settings") << 1;
    }
    void pagesRead() {
        QFETCH(int, page);
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        w->PageControl->setCurrentIndex(page);
        QScrollArea *scroll = page == 0 ? w->scrDetails : w->ScrollBox1;
        QWidget *content = scroll->widget();
        // Empty fields get a sample, so that each has text to measure.
        for (QLineEdit *edit : content->findChildren<QLineEdit *>())
            if (edit->text().isEmpty())
                edit->setText(QStringLiteral("Sample 42"));
        for (QComboBox *combo : content->findChildren<QComboBox *>())
            if (combo->currentIndex() < 0)
                combo->setCurrentIndex(0);
        auto shown = [&](QWidget *control) {
            scroll->ensureWidgetVisible(control, 0, 0);
            return control;
        };
        for (QLabel *label : content->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                Check(*w, shown(label), label->rect(), QStringLiteral("label"));
        for (QCheckBox *box : content->findChildren<QCheckBox *>()) {
            QStyleOptionButton option;
            option.initFrom(box);
            option.text = box->text();
            Check(*w, shown(box), box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box),
                  QStringLiteral("caption"));
        }
        QList<QWidget *> fields;
        for (QLineEdit *edit : content->findChildren<QLineEdit *>())
            fields << edit;
        for (QComboBox *combo : content->findChildren<QComboBox *>())
            fields << combo;
        for (QWidget *field : fields) {
            Check(*w, shown(field), TextArea(field), QStringLiteral("field"));
            field->setFocus(Qt::MouseFocusReason);
            if (auto *edit = qobject_cast<QLineEdit *>(field))
                edit->deselect();
            Check(*w, field, TextArea(field), QStringLiteral("focused field"));
        }
        Check(*w, w->pnlField, w->pnlField->rect(), QStringLiteral("help title"));
        Check(*w, w->memHelp->viewport(), w->memHelp->viewport()->rect(), QStringLiteral("help text"));
    }

    void topBarAndListRead() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        auto *choose = Find<QLabel>(*w, "lblChooseFile");
        Check(*w, choose, choose->rect(), QStringLiteral("label"));
        w->edtSapLogon->setFocus(Qt::TabFocusReason); // the list's focus mark would count as text
        Check(*w, w->edtSapLogon, TextArea(w->edtSapLogon), QStringLiteral("path"));
        for (int row : {0, 1}) // the selected row and another
            Check(*w, w->lbxEntries->viewport(), w->lbxEntries->RowRect(row),
                  QStringLiteral("row %1").arg(row));
    }

    // The box keeps the light colours of its picture, the notice and the links included.
    void aboutBoxReadsOverItsPicture() {
        LocalHttpServer server;
        server.close(); // offline: nothing to wait for
        TfrmAbout102 box(nullptr, {server.base() + QStringLiteral("/files/"), QStringLiteral("Kestrel.exe"),
                                   TFileVersion{1, 0, 0, 0}, 500});
        box.findChild<QLabel *>(QStringLiteral("lblNewVersion"))->show();
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (const char *name : {"lblApplicationTitle", "lblVersion", "lblVersionHistory", "lblNewVersion",
                                 "lblWindowsVersion", "lblToolVersion", "lblWebSite"}) {
            auto *label = box.findChild<QLabel *>(QLatin1String(name));
            QVERIFY2(label, name);
            Check(box, label, label->rect(), QStringLiteral("over the picture"));
        }
    }
};

QTEST_MAIN(TestDarkPalette)
#include "test_darkpalette.moc"
