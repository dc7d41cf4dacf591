#include "korvo_combobox.h"
#include "nofocusframedelegate.h"

#include <QListView>
#include <QPainter>
#include <QProxyStyle>
#include <QStandardItemModel>
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
