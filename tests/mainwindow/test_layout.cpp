// Window layout: design sizes, what grows on resizing, the splitter, names and pictures.
#include "MainWindowFixture.h"

#include <QGroupBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>

class TestLayout : public QObject {
    Q_OBJECT

    static QRect InWindow(TfrmMain &w, const char *name) {
        auto *control = Find<QWidget>(w, name);
        return QRect(control->mapTo(&w, QPoint(0, 0)), control->size());
    }

private Q_SLOTS:
    void designSizes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("top bar height") << "Panel6" << QSize(1035, 73);
        // 470 high at design; the hidden progress bar leaves its 17 pixels to the panels.
        QTest::newRow("list panel") << "pnlItems" << QSize(265, 487);
        QTest::newRow("details panel") << "pnlDetails" << QSize(496, 487);
        QTest::newRow("help panel") << "pnlHelp" << QSize(270, 487);
        QTest::newRow("open button") << "bbtOpen" << QSize(25, 25);
        QTest::newRow("about button") << "bbtAbout" << QSize(75, 40);
        QTest::newRow("save button") << "bbtSave" << QSize(78, 40);
        QTest::newRow("quit button") << "bbtExit" << QSize(62, 40);
        QTest::newRow("help title") << "pnlField" << QSize(262, 21);
        QTest::newRow("description") << "ledtDescription" << QSize(337, 21);
        QTest::newRow("session key") << "ledtSessManKey" << QSize(305, 21);
        QTest::newRow("system") << "cbxSystem" << QSize(48, 21);
        QTest::newRow("trace level") << "cbxSapguiTraceLevel" << QSize(145, 21);
        QTest::newRow("renumber button") << "bbtSessManKeyAuto" << QSize(25, 25);
    }
    void designSizes() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        TWindowFixture f;
        auto w = f.Window();
        QCOMPARE(Find<QWidget>(*w, qPrintable(name))->size(), size);
    }

    void wideningGrowsOnlyHelpAndPath() {
        TWindowFixture f;
        auto w = f.Window();
        const QRect path = InWindow(*w, "edtSapLogon");
        const QRect find = InWindow(*w, "bbtFind");
        const int list = w->pnlItems->width();
        const int details = w->pnlDetails->width();
        const int help = w->pnlHelp->width();
        w->resize(1235, 660);
        QApplication::processEvents();
        QCOMPARE(w->pnlItems->width(), list);
        QCOMPARE(w->pnlDetails->width(), details);
        QCOMPARE(w->pnlHelp->width(), help + 200);
        QCOMPARE(w->pnlHelp->height(), 660 - 73);
        QCOMPARE(InWindow(*w, "edtSapLogon").width(), path.width() + 200);
        QCOMPARE(InWindow(*w, "bbtFind").x(), find.x() + 200);
        QCOMPARE(InWindow(*w, "grpAction").width(), 270);
        QCOMPARE(w->width() - 1 - InWindow(*w, "grpAction").right(), 4);
        QCOMPARE(w->width() - 1 - InWindow(*w, "pnlHelp").right(), 0);
    }

    void splitterMovesTheListEdge() {
        TWindowFixture f;
        auto w = f.Window();
        const int details = w->pnlDetails->width();
        const int help = w->pnlHelp->width();
        w->Splitter1->setSizes({365, w->Splitter1->width() - 365 - w->Splitter1->handleWidth()});
        QApplication::processEvents();
        QCOMPARE(w->pnlItems->width(), 365);
        QCOMPARE(w->pnlDetails->width(), details);
        QCOMPARE(w->pnlHelp->width(), help - 100);
        QCOMPARE(w->Splitter1->handleWidth(), 4);
    }

    void systemsPageScrollsToTheFocusedField() {
        TWindowFixture f;
        auto w = f.Window(f.Copy("three.ini"));
        QVERIFY(w->scrDetails->widget()->height() > w->scrDetails->viewport()->height());
        QCOMPARE(w->scrDetails->verticalScrollBar()->value(), 0);
        w->FieldControl(fnMSSrvPort)->setFocus(Qt::TabFocusReason);
        QVERIFY(w->scrDetails->verticalScrollBar()->value() > 0);
        const QRect field(w->FieldControl(fnMSSrvPort)->mapTo(w->scrDetails->viewport(), QPoint(0, 0)),
                          w->FieldControl(fnMSSrvPort)->size());
        QVERIFY(w->scrDetails->viewport()->rect().contains(field));
    }

    void namesPicturesAndItems() {
        TWindowFixture f;
        auto w = f.Window();
        for (auto *button : w->findChildren<QAbstractButton *>()) {
            if (button->objectName().startsWith(QLatin1String("qt_")) || button->parent() == w->PageControl)
                continue;
            QVERIFY2(!button->objectName().isEmpty(), qPrintable(button->text()));
            QVERIFY2(!button->accessibleName().isEmpty(), qPrintable(button->objectName()));
            if (button->objectName().startsWith(QLatin1String("bbt")))
                QVERIFY2(!button->icon().pixmap(16).isNull(), qPrintable(button->objectName()));
        }
        QVERIFY(!w->imgModified->pixmap().isNull());
        for (int page = 0; page < 3; ++page)
            QVERIFY(!w->PageControl->tabIcon(page).pixmap(16).isNull());
        QCOMPARE(w->PageControl->tabText(0), QStringLiteral("Systems"));
        QCOMPARE(w->PageControl->tabText(1), QStringLiteral("Global settings"));
        QCOMPARE(w->PageControl->tabText(2), QStringLiteral("File content"));
        QCOMPARE(Find<QGroupBox>(*w, "grpSapLogon")->title(), QStringLiteral(" SAPLOGON.INI "));
        QCOMPARE(Find<QGroupBox>(*w, "grpAction")->title(), QStringLiteral(" Action "));
        QCOMPARE(w->bbtImport->toolTip(), QStringLiteral("Import from other SAPLOGON.INI file (Ctrl+I)"));
        QCOMPARE(w->bbtUp->property("tag").toInt(), -1);
        QCOMPARE(w->bbtDown->property("tag").toInt(), 1);
        auto *index = Find<QComboBox>(*w, "cbxCodePageIndex");
        QCOMPARE(index->count(), 101);
        QCOMPARE(index->itemText(0), QStringLiteral("-1"));
        QCOMPARE(index->itemText(100), QStringLiteral("99"));
        QCOMPARE(Find<QComboBox>(*w, "cbxSncChoice")->itemText(5), QStringLiteral("9"));
        QVERIFY(!Find<QComboBox>(*w, "cbxOrigin")->isEditable());
        QCOMPARE(Find<QLabel>(*w, "lblOrigin")->buddy(), Find<QComboBox>(*w, "cbxOrigin"));
        auto *label = Find<QLabel>(*w, "lblMessageServerTimeout");
        QVERIFY(label->alignment() & Qt::AlignRight);
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text().remove(u'&')) <=
                label->width()); // as shown
        QCOMPARE(InWindow(*w, "ledtMessageServerTimeout").x() -
                     (InWindow(*w, "lblMessageServerTimeout").right() + 1),
                 8);
    }
};

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
