#include "korvo_combobox.h"
#include "nofocusframedelegate.h"

#include <QListView>
#include <QPainter>
#include <QProxyStyle>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QtTest>

namespace {

// Remembers the state of the last item the style was asked to draw.
class RecordingStyle : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
        const QWidget *widget) const override
    {
        if (element == CE_ItemViewItem)
            m_lastState = option->state;
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    mutable QStyle::State m_lastState;
};

// The leftmost column where white text was drawn, or -1.
int leftmostText(const QImage &image)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qRed(image.pixel(x, y)) > 128)
                return x;
    return -1;
}

QImage renderCombo(Korvo_ComboBox &combo)
{
    QImage image(combo.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    combo.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

int lightness(QRgb pixel)
{
    return QColor(pixel).lightness();
}

} // namespace

class TestComboBox : public QObject
{
    Q_OBJECT

private slots:
    void singleItemDoesNotOpen()
    {
        Korvo_ComboBox combo;
        combo.addItem(QStringLiteral("GTX 1070 Ti"));
        combo.resize(300, 50);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        combo.showPopup();
        QVERIFY(!combo.isPopupOpen());
        QVERIFY(!combo.view()->isVisible());
    }

    void emptyDoesNotOpen()
    {
        Korvo_ComboBox combo;
        combo.showPopup();
        QVERIFY(!combo.isPopupOpen());
    }

    void twoItemsOpenAndClose()
    {
        Korvo_ComboBox combo;
        combo.addItem(QStringLiteral("GTX 1070 Ti"));
        combo.addItem(QStringLiteral("GTX 1080"));
        combo.resize(300, 50);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        combo.showPopup();
        QVERIFY(combo.isPopupOpen());
        QTRY_VERIFY(combo.view()->isVisible());
        combo.hidePopup();
        QVERIFY(!combo.isPopupOpen());
    }

    void fontFollowsHeight()
    {
        Korvo_ComboBox combo;
        QCOMPARE(combo.font().family(), QStringLiteral("Space Age"));
        combo.resize(300, 50);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        QCOMPARE(combo.font().pixelSize(), 30);
        QCOMPARE(combo.view()->font().pixelSize(), 30);
        QCOMPARE(combo.view()->minimumHeight(), 50);
        combo.resize(300, 24);
        QTRY_COMPARE(combo.font().pixelSize(), 12);
        QCOMPARE(combo.font().family(), QStringLiteral("Space Age"));
    }

    void listUsesNoFocusFrameDelegate()
    {
        Korvo_ComboBox combo;
        QVERIFY(qobject_cast<NoFocusFrameDelegate *>(combo.view()->itemDelegate()));
    }

    void shortNameCentredLongNameLeftAligned()
    {
        Korvo_ComboBox combo;
        combo.addItem(QStringLiteral("GTX"));
        combo.resize(300, 50);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        const int shortLeft = leftmostText(renderCombo(combo));
        QVERIFY(shortLeft > 60);

        combo.setItemText(0, QStringLiteral("GeForce GTX 1070 Ti Founders Edition Extra Long Name"));
        const int longLeft = leftmostText(renderCombo(combo));
        QVERIFY(longLeft >= 0);
        QVERIFY(longLeft < 8);
    }

    void openListIsReadableInEveryStyle_data()
    {
        QTest::addColumn<QString>("styleName");
        for (const QString &name : QStyleFactory::keys())
            QTest::newRow(qPrintable(name)) << name;
    }

    // The open list of three cards over the dark window: a card that is neither current nor hovered keeps
    // light text on the dark background behind the list, whatever style the desktop gives the program.
    void openListIsReadableInEveryStyle()
    {
        QFETCH(QString, styleName);
        QStyle *before = QApplication::style();
        const QString beforeName = before->objectName();
        QApplication::setStyle(QStyleFactory::create(styleName));
        {
            Korvo_ComboBox combo;
            for (const char *name : { "Korvo 1070 Ti", "Korvo 1070 Ti 1", "GeForce GTX 1080" })
                combo.addItem(QLatin1String(name));
            combo.resize(300, 50);
            combo.show();
            QVERIFY(QTest::qWaitForWindowExposed(&combo));
            combo.showPopup();
            QTRY_VERIFY(combo.view()->isVisible());
            QWidget *popup = combo.view()->window();
            QVERIFY(popup != &combo);

            QImage image(popup->size(), QImage::Format_RGB32);
            image.fill(Qt::black);
            popup->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

            const QRect item = combo.view()->visualRect(combo.model()->index(2, 0));
            QVERIFY(!item.isEmpty());
            const QRect area = QRect(combo.view()->viewport()->mapTo(popup, item.topLeft()), item.size())
                                   .adjusted(2, 2, -2, -2);
            int dark = 0;
            int light = 0;
            for (int y = area.top(); y <= area.bottom(); ++y) {
                for (int x = area.left(); x <= area.right(); ++x) {
                    const int l = lightness(image.pixel(x, y));
                    dark += l < 60 ? 1 : 0;
                    light += l > 180 ? 1 : 0;
                }
            }
            const int pixels = area.width() * area.height();
            QVERIFY2(
                dark * 2 > pixels, qPrintable(QStringLiteral("%1 of %2 pixels dark").arg(dark).arg(pixels)));
            QVERIFY2(light > 10, qPrintable(QStringLiteral("%1 light pixels").arg(light)));
            QVERIFY2(light * 4 < pixels,
                qPrintable(QStringLiteral("%1 of %2 pixels light").arg(light).arg(pixels)));
            combo.hidePopup();
        }
        QApplication::setStyle(QStyleFactory::create(beforeName));
    }

    void delegateClearsFocusState()
    {
        RecordingStyle style;
        QListView view;
        view.setStyle(&style);
        QStandardItemModel model;
        model.appendRow(new QStandardItem(QStringLiteral("item")));
        view.setModel(&model);

        NoFocusFrameDelegate delegate;
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.widget = &view;
        option.rect = QRect(0, 0, 100, 20);
        option.state |= QStyle::State_HasFocus | QStyle::State_Selected;
        QImage image(100, 20, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        delegate.paint(&painter, option, model.index(0, 0));
        QVERIFY(!(style.m_lastState & QStyle::State_HasFocus));
        QVERIFY(style.m_lastState & QStyle::State_Selected);
    }
};

QTEST_MAIN(TestComboBox)
#include "tst_combobox.moc"
