#include "korvo_gpufixedinfo.h"
#include "programversion.h"
#include "readonlylineedit.h"

#include <QApplication>
#include <QBoxLayout>
#include <QContextMenuEvent>
#include <QLabel>
#include <QtTest>

// The fixed information panel: its form, the texts of both languages, the record's fields, the offsets'
// direction words, the read-only fields and a selection that survives the sampler's next record.
class TestGpuFixedInfo : public QObject
{
    Q_OBJECT

private:
    static Lang_FixedInfo english()
    {
        Lang_FixedInfo t;
        t.busWidth = QStringLiteral("Bus Width");
        t.bandWidth = QStringLiteral("Band Width");
        t.memType = QStringLiteral("Mem Type");
        t.memSize = QStringLiteral("Mem Size");
        t.gpuClock = QStringLiteral("GPU Clock");
        t.memClock = QStringLiteral("Mem Clock");
        t.customizedGpuClock = QStringLiteral("Customized GPU  Clk");
        t.increase = QStringLiteral("Inc");
        t.decrease = QStringLiteral("Dec");
        t.customizedMemClock = QStringLiteral("Customized Mem Clk");
        t.biosVersion = QStringLiteral("BIOS Version");
        t.cardInfo = QStringLiteral("Card Info");
        return t;
    }

    static NvInfo record()
    {
        NvInfo info;
        info.name = QStringLiteral("GeForce GTX 1070 Ti");
        info.memorySize = QStringLiteral("8192MB");
        info.memoryBusWidth = QStringLiteral("256BIT");
        info.memoryType = QStringLiteral("GDDR5");
        info.memoryBandwidth = QStringLiteral("256.3GB/s");
        info.defaultGpuClock = QStringLiteral("1607MHz");
        info.defaultMemoryClock = QStringLiteral("4006MHz");
        info.gpuClock = QStringLiteral("1557MHz");
        info.memoryClock = QStringLiteral("4106MHz");
        info.gpuClockOffset = -50;
        info.memoryClockOffset = 100;
        info.driverVersion = QStringLiteral("411.09");
        info.biosVersion = QStringLiteral("86.04.85.00.63");
        return info;
    }

    template <class T> static T *child(Korvo_GpuFixedInfo &panel, const char *name)
    {
        T *widget = panel.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("missing %s", name);
        return widget;
    }

    static QString text(Korvo_GpuFixedInfo &panel, const char *name)
    {
        if (auto *label = panel.findChild<QLabel *>(QLatin1String(name)))
            return label->text();
        return child<ReadonlyLineEdit>(panel, name)->text();
    }

private slots:
    void beforeTheFirstRecordOnlyTheFormDefaults()
    {
        Korvo_GpuFixedInfo panel;
        for (const char *name : { "let_MemType", "let_MemSize", "let_MemBandWidth", "let_GpuFreClock",
                 "let_MemFreClock", "let_CustomGpuFreClock", "let_CustomMemFreClock" })
            QVERIFY2(text(panel, name).isEmpty(), name);
        QCOMPARE(text(panel, "let_MemBitWidth"), QStringLiteral("1234"));
        QCOMPARE(text(panel, "lbl_GpuFreClockChangedValue"), QStringLiteral("0"));
        QCOMPARE(text(panel, "lbl_MemFreClockChangedValue"), QStringLiteral("0"));
        QCOMPARE(text(panel, "lbl_BiosVersionValue"), QStringLiteral("0"));
        // The Chinese texts by default.
        QCOMPARE(text(panel, "lbl_MemBitWidth"), QStringLiteral("显存位宽"));
        QCOMPARE(text(panel, "lbl_GpuFreClockChanged"), QStringLiteral("增加"));
        QCOMPARE(text(panel, "lbl_BiosVersion"), QStringLiteral("BIOS版本号"));
    }

    void theFormIsLaidOutAsDesigned()
    {
        Korvo_GpuFixedInfo panel;
        QCOMPARE(panel.windowTitle(), QStringLiteral("Korvo_GpuFixedInfoWidget"));
        QCOMPARE(panel.size(), QSize(441, 433));
        auto *main = panel.findChild<QVBoxLayout *>(QStringLiteral("mainLayout"));
        QVERIFY(main);
        QCOMPARE(main->count(), 13);
        QCOMPARE(main->spacing(), 6);
        for (int i = 0; i < 13; ++i) {
            QCOMPARE(main->stretch(i), i % 2 == 0 ? 2 : 1);
            QCOMPARE(main->itemAt(i)->spacerItem() != nullptr, i % 2 == 0);
        }
        auto *row = panel.findChild<QHBoxLayout *>(QStringLiteral("horizontalLayout_2"));
        QVERIFY(row);
        QCOMPARE(row->itemAt(0)->widget()->objectName(), QStringLiteral("lbl_CustomGpuFreClock"));
        QCOMPARE(row->stretch(0), 2);
        QCOMPARE(row->stretch(3), 1);
        QCOMPARE(child<QLabel>(panel, "lbl_MemType")->alignment(), Qt::AlignRight | Qt::AlignVCenter);
        QVERIFY(panel.styleSheet().contains(QStringLiteral("font-size: 12px")));
        QCOMPARE(panel.font().pointSize(), 9);

        panel.resize(285, 294);
        panel.show();
        // Band 29, margin 19.
        QCOMPARE(panel.formWidget()->geometry(), QRect(19, 29, 247, 236));
    }

    void aRecordFillsTheFields()
    {
        Korvo_GpuFixedInfo panel;
        panel.setLanguageTexts(english(), English);
        panel.recvGpuFixedInfo(record());
        QCOMPARE(text(panel, "let_MemSize"), QStringLiteral("8192MB"));
        QCOMPARE(text(panel, "let_MemType"), QStringLiteral("GDDR5"));
        QCOMPARE(text(panel, "let_MemBitWidth"), QStringLiteral("256BIT"));
        QCOMPARE(text(panel, "let_MemBandWidth"), QStringLiteral("256.3GB/s"));
        QCOMPARE(text(panel, "let_GpuFreClock"), QStringLiteral("1607MHz"));
        QCOMPARE(text(panel, "let_MemFreClock"), QStringLiteral("4006MHz"));
        QCOMPARE(text(panel, "let_CustomGpuFreClock"), QStringLiteral("1557MHz"));
        QCOMPARE(text(panel, "let_CustomMemFreClock"), QStringLiteral("4106MHz"));
        QCOMPARE(text(panel, "lbl_BiosVersionValue"), QStringLiteral("86.04.85.00.63"));
        QCOMPARE(text(panel, "lbl_GpuFreClockChanged"), QStringLiteral("Dec"));
        QCOMPARE(text(panel, "lbl_GpuFreClockChangedValue"), QStringLiteral("-50"));
        QCOMPARE(text(panel, "lbl_MemFreClockChanged"), QStringLiteral("Inc"));
        QCOMPARE(text(panel, "lbl_MemFreClockChangedValue"), QStringLiteral("100"));

        NvInfo stock = record();
        stock.gpuClockOffset = 0;
        panel.recvGpuFixedInfo(stock);
        QCOMPARE(text(panel, "lbl_GpuFreClockChanged"), QStringLiteral("Inc"));
        QCOMPARE(text(panel, "lbl_GpuFreClockChangedValue"), QStringLiteral("0"));

        // A language change keeps the direction of the last record.
        stock.memoryClockOffset = -1;
        panel.recvGpuFixedInfo(stock);
        panel.setLanguageTexts(Lang_FixedInfo(), Chinese);
        QCOMPARE(text(panel, "lbl_MemFreClockChanged"), QStringLiteral("减少"));
        QCOMPARE(text(panel, "lbl_GpuFreClockChanged"), QStringLiteral("增加"));
        QCOMPARE(text(panel, "lbl_CustomGpuFreClock"), QStringLiteral("自定义核心频率"));
    }

    void aNewTextShowsFromItsStartAndHasRoom()
    {
        Korvo_GpuFixedInfo panel;
        panel.resize(285, 294);
        panel.show();
        panel.recvGpuFixedInfo(record());
        auto *field = child<ReadonlyLineEdit>(panel, "let_MemBandWidth");
        QCOMPARE(field->cursorPosition(), 0);
        QVERIFY(field->width() > field->fontMetrics().horizontalAdvance(field->text()));
        QVERIFY(field->minimumWidth() > field->fontMetrics().horizontalAdvance(field->text()));
    }

    void aSelectionSurvivesTheNextRecord()
    {
        Korvo_GpuFixedInfo panel;
        panel.show();
        panel.recvGpuFixedInfo(record());
        auto *bios = child<QLabel>(panel, "lbl_BiosVersionValue");
        bios->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto *memType = child<ReadonlyLineEdit>(panel, "let_MemType");
        memType->setSelection(1, 3);
        QCOMPARE(memType->selectedText(), QStringLiteral("DDR"));
        QSignalSpy changed(memType, &QLineEdit::textChanged);
        panel.recvGpuFixedInfo(record());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(memType->selectedText(), QStringLiteral("DDR"));

        NvInfo other = record();
        other.memoryType = QStringLiteral("GDDR5X");
        panel.recvGpuFixedInfo(other);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(memType->text(), QStringLiteral("GDDR5X"));
    }

    void aRightClickInAReadOnlyFieldDoesNothing()
    {
        Korvo_GpuFixedInfo panel;
        panel.resize(441, 433);
        panel.show();
        panel.recvGpuFixedInfo(record());
        auto *field = child<ReadonlyLineEdit>(panel, "let_MemBandWidth");
        QVERIFY(field->isReadOnly());
        QCOMPARE(field->contextMenuPolicy(), Qt::NoContextMenu);
        field->setCursorPosition(2);
        QTest::mouseClick(field, Qt::RightButton, Qt::NoModifier, QPoint(field->width() - 3, 5));
        QCOMPARE(field->cursorPosition(), 2);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(field, &menu);
        QVERIFY(!QApplication::activePopupWidget());
        // A left click still places the cursor.
        QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(field->width() - 3, 5));
        QCOMPARE(field->cursorPosition(), field->text().size());
    }

    void theBandCarriesTheProgramVersion()
    {
        QCOMPARE(Korvo_GpuFixedInfo::versionText(), QStringLiteral("V ") + QLatin1String(ProgramVersion));
        QCOMPARE(Korvo_GpuFixedInfo::versionText(), QStringLiteral("V 1.0.2.4"));

        Korvo_GpuFixedInfo panel;
        panel.resize(285, 294);
        panel.setLanguageTexts(english(), English);
        panel.show();
        const QImage bg = panel.backgroundImage();
        QCOMPARE(bg.size(), QSize(285, 294));
        // White text at both ends of the band: the title at the left, the version ending at W - M (266).
        auto whiteIn = [&](int x0, int x1) {
            int white = 0;
            for (int x = x0; x < x1; ++x) {
                for (int y = 2; y < 27; ++y)
                    white += qRed(bg.pixel(x, y)) > 200 && qGreen(bg.pixel(x, y)) > 200;
            }
            return white;
        };
        QVERIFY(whiteIn(19, 80) > 10);
        QVERIFY(whiteIn(220, 266) > 10);
        QCOMPARE(whiteIn(267, 285), 0);
        QCOMPARE(qAlpha(bg.pixel(283, 292)), 0);
        QCOMPARE(bg.pixel(100, 150), qPremultiply(qRgba(252, 10, 53, 60)));
    }
};

QTEST_MAIN(TestGpuFixedInfo)
#include "tst_gpufixedinfo.moc"
