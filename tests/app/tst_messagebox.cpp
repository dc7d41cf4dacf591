#include "korvo_messagebox.h"
#include "korvo_messagebox1.h"
#include "lumetraresources.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initLumetraResources(); }
    void cleanup() { Korvo_MessageBox::setAutoAnswer(nullptr); }

    void resultCodes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("pressYes");
        QTest::addColumn<int>("result");
        QTest::newRow("one button") << 0x0 << false << true << 4;
        QTest::newRow("one button, check box not ticked") << 0x1000 << false << true << 4;
        QTest::newRow("one button, check box ticked") << 0x1000 << true << true << 7;
        QTest::newRow("yes") << 0x1 << false << true << 3;
        QTest::newRow("yes, check box not ticked") << 0x1001 << false << true << 3;
        QTest::newRow("yes, check box ticked") << 0x1001 << true << true << 6;
        QTest::newRow("no") << 0x1 << false << false << 2;
        QTest::newRow("no, check box ticked") << 0x1001 << true << false << 2;
    }

    void resultCodes()
    {
        QFETCH(int, type);
        QFETCH(bool, tick);
        QFETCH(bool, pressYes);
        QFETCH(int, result);
        for (LanguageType language : { Chinese, English }) {
            Korvo_MessageBox::setAutoAnswer([&](Korvo_MessageBox *box) {
                QVERIFY(box->isVisible());
                if (tick)
                    box->checkBox()->setChecked(true);
                QPushButton *button = pressYes ? box->yesButton() : box->noButton();
                QTest::mouseClick(button, Qt::LeftButton);
            });
            Korvo_MessageBox box(type, QString(), QStringLiteral("message"), language);
            QCOMPARE(box.exec(), result);
        }
    }

    void closingOtherwiseGivesZero()
    {
        Korvo_MessageBox::setAutoAnswer([](Korvo_MessageBox *box) { box->reject(); });
        Korvo_MessageBox box(0x1, QString(), QStringLiteral("message"), Chinese);
        QCOMPARE(box.exec(), 0);
    }

    void slotsEndWithResults()
    {
        Korvo_MessageBox::setAutoAnswer([](Korvo_MessageBox *box) { box->onBtnNoClicked(); });
        Korvo_MessageBox no(0x1, QString(), QString(), English);
        QCOMPARE(no.exec(), 2);
        Korvo_MessageBox::setAutoAnswer([](Korvo_MessageBox *box) { box->onBtnYesClicked(); });
        Korvo_MessageBox yes(0x0, QString(), QString(), English);
        QCOMPARE(yes.exec(), 4);
    }

    // The message itself is bold and 15 px, in "Arial" for English and "微软雅黑" otherwise.
    void labelFont()
    {
        for (LanguageType language : { Chinese, English }) {
            Korvo_MessageBox box(MsgBoxYesNo, QString(), QStringLiteral("Exit program?"), language);
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            const QFont font = box.infoLabel()->font();
            QCOMPARE(
                font.family(), language == English ? QStringLiteral("Arial") : QStringLiteral("微软雅黑"));
            QCOMPARE(font.pixelSize(), 15);
            QCOMPARE(font.weight(), 75);
            QCOMPARE(box.infoLabel()->fontInfo().pixelSize(), 15);
            QVERIFY(box.infoLabel()->fontInfo().bold());
        }
    }

    void texts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::addColumn<QString>("check");
        QTest::newRow("en one") << 0x0 << int(English) << "Confirm" << QString() << QString();
        QTest::newRow("en two") << 0x1 << int(English) << "Yes"
                                << "No" << QString();
        QTest::newRow("en one check")
            << 0x1000 << int(English) << "Confirm" << QString() << "Don't show again.";
        QTest::newRow("en two check") << 0x1001 << int(English) << "Yes"
                                      << "No"
                                      << "Don't show again.";
        QTest::newRow("zh one") << 0x0 << int(Chinese) << "确定" << QString() << QString();
        QTest::newRow("zh two") << 0x1 << int(Chinese) << "是"
                                << "否" << QString();
        QTest::newRow("zh one check") << 0x1000 << int(Chinese) << "确定" << QString() << "不再提示。";
        QTest::newRow("zh two check") << 0x1001 << int(Chinese) << "是"
                                      << "否"
                                      << "不再提示。";
    }

    void texts()
    {
        QFETCH(int, type);
        QFETCH(int, language);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        QFETCH(QString, check);
        Korvo_MessageBox box(type, QString(), QStringLiteral("the message"), LanguageType(language));
        QCOMPARE(box.yesButton()->text(), yes);
        QCOMPARE(box.yesButton()->objectName(), QStringLiteral("msgBoxYesBtn"));
        QCOMPARE(box.yesButton()->size(), QSize(100, 30));
        QCOMPARE(box.yesButton()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(box.noButton() != nullptr, !no.isEmpty());
        if (box.noButton()) {
            QCOMPARE(box.noButton()->text(), no);
            QCOMPARE(box.noButton()->objectName(), QStringLiteral("msgBoxNoBtn"));
            QCOMPARE(box.noButton()->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(box.checkBox() != nullptr, !check.isEmpty());
        if (box.checkBox())
            QCOMPARE(box.checkBox()->text(), check);
        QCOMPARE(box.infoLabel()->objectName(), QStringLiteral("msgBoxInfoLabel"));
        QCOMPARE(box.text(), QStringLiteral("the message"));
        QVERIFY(box.infoLabel()->wordWrap());
        QCOMPARE(box.infoLabel()->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(box.language(), language);
        QCOMPARE(box.type(), type);
    }

    void yesTextCanBeReplaced()
    {
        Korvo_MessageBox box(0, QString(), QString(), Chinese);
        box.setYesButtonText(QStringLiteral("确定") + QStringLiteral("/Comfirm"));
        QCOMPARE(box.yesButton()->text(), QStringLiteral("确定/Comfirm"));
    }

    void fontAndWindow()
    {
        Korvo_MessageBox english(0, QStringLiteral("t"), QString(), English);
        QCOMPARE(english.font().family(), QStringLiteral("Arial"));
        QCOMPARE(english.font().pixelSize(), 15);
        QCOMPARE(english.font().weight(), 75);
        QCOMPARE(english.windowTitle(), QStringLiteral("t"));
        QCOMPARE(english.size(), QSize(320, 160));
        QVERIFY(english.testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(english.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(english.windowFlags() & Qt::WindowStaysOnTopHint);

        Korvo_MessageBox chinese(0, QString(), QString(), Chinese);
        QCOMPARE(chinese.font().family(), QStringLiteral("微软雅黑"));

        QWidget parent;
        Korvo_MessageBox child(0, QString(), QString(), Chinese, &parent);
        QVERIFY(child.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!(child.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void layoutRowsMarginsAndStretch()
    {
        Korvo_MessageBox box(0x1001, QString(), QStringLiteral("message"), English);
        auto *main = qobject_cast<QVBoxLayout *>(box.layout());
        QVERIFY(main);
        // Label row, spacing, check box row, button row.
        QCOMPARE(main->count(), 4);
        auto *labelRow = main->itemAt(0)->layout();
        QVERIFY(labelRow);
        QCOMPARE(labelRow->contentsMargins(), QMargins(10, 5, 0, 10));
        QCOMPARE(labelRow->itemAt(0)->widget(), static_cast<QWidget *>(box.infoLabel()));
        QVERIFY(main->itemAt(1)->spacerItem());
        QCOMPARE(main->itemAt(1)->sizeHint().height(), 20);
        auto *checkRow = main->itemAt(2)->layout();
        QVERIFY(checkRow);
        QCOMPARE(checkRow->contentsMargins(), QMargins(10, 0, 0, 0));
        QCOMPARE(checkRow->itemAt(0)->widget(), static_cast<QWidget *>(box.checkBox()));

        auto *buttons = qobject_cast<QHBoxLayout *>(main->itemAt(3)->layout());
        QVERIFY(buttons);
        QCOMPARE(buttons->count(), 5);
        QCOMPARE(buttons->itemAt(1)->widget(), static_cast<QWidget *>(box.yesButton()));
        QCOMPARE(buttons->itemAt(3)->widget(), static_cast<QWidget *>(box.noButton()));
        const QList<int> stretches = { 1, 2, 1, 2, 1 };
        for (int i = 0; i < stretches.size(); ++i)
            QCOMPARE(buttons->stretch(i), stretches.at(i));

        Korvo_MessageBox single(0x0, QString(), QStringLiteral("message"), English);
        auto *singleMain = qobject_cast<QVBoxLayout *>(single.layout());
        QCOMPARE(singleMain->count(), 3);
        auto *singleButtons = qobject_cast<QHBoxLayout *>(singleMain->itemAt(2)->layout());
        QCOMPARE(singleButtons->count(), 3);
        QCOMPARE(singleButtons->itemAt(1)->widget(), static_cast<QWidget *>(single.yesButton()));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(singleButtons->stretch(i), i == 1 ? 2 : 1);
    }

    void pictureVariantTakesItsPictureSize()
    {
        Korvo_MessageBox1 box(0x1, QString(), QStringLiteral("message"), English);
        QCOMPARE(box.size(), QSize(320, 179));
        QCOMPARE(box.yesButton()->text(), QStringLiteral("Yes"));
    }

    void placementOverParentWindow_data()
    {
        QTest::addColumn<int>("xOffset");
        QTest::addColumn<int>("yOffset");
        QTest::newRow("centred") << 0 << 0;
        QTest::newRow("card list offsets") << 0 << -20;
        QTest::newRow("both") << 13 << 7;
    }

    void placementOverParentWindow()
    {
        QFETCH(int, xOffset);
        QFETCH(int, yOffset);
        QWidget window;
        window.setGeometry(100, 50, 800, 507);
        QWidget inner(&window);
        inner.setGeometry(30, 40, 200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // The parent may be any widget inside the window; the window's rectangle counts.
        Korvo_MessageBox box(0x1, QString(), QStringLiteral("message"), Chinese, &inner);
        box.setXOffset(xOffset);
        box.setYOffset(yOffset);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QRect area = window.geometry();
        QCOMPARE(box.pos(),
            QPoint(area.x() + (area.width() - 320) / 2 + xOffset,
                area.y() + (area.height() - 160) / 2 + yOffset));
    }

    void placementOnDesktop()
    {
        Korvo_MessageBox box(0x0, QString(), QStringLiteral("message"), English);
        box.setXOffset(0);
        box.setYOffset(-20);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(box.pos(), QPoint((desktop.width() - 320) / 2, (desktop.height() - 160) / 2 - 20));
    }

    void placementFollowsResize()
    {
        Korvo_MessageBox box(0x0, QString(), QString(), English);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.resize(240, 120);
        QTRY_COMPARE(box.pos(),
            QPoint((QGuiApplication::primaryScreen()->geometry().width() - 240) / 2,
                (QGuiApplication::primaryScreen()->geometry().height() - 120) / 2));
    }

    void paintsRoundedPanel()
    {
        Korvo_MessageBox box(0x0, QString(), QString(), English);
        QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        box.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        // Corners stay clear, the border is red, the middle is black at alpha 220.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        const QColor middle = image.pixelColor(160, 20);
        QCOMPARE(middle.alpha(), 220);
        QCOMPARE(middle.red(), 0);
        const QColor edge = image.pixelColor(160, 0);
        QVERIFY(edge.red() > 150 && edge.green() < 60);
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
