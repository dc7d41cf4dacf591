#include "lumetra2startup.h"

#include <QtTest>

// The program asks for no OpenGL integration unless the environment has chosen one.
class TestGraphicsIntegration : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("QT_XCB_GL_INTEGRATION"); }

    void noneWhenNobodyChose()
    {
        qunsetenv("QT_XCB_GL_INTEGRATION");
        Lumetra2Startup::chooseGraphicsIntegration();
        QCOMPARE(qgetenv("QT_XCB_GL_INTEGRATION"), QByteArray("none"));
    }

    void aChoiceIsKept()
    {
        qputenv("QT_XCB_GL_INTEGRATION", "xcb_egl");
        Lumetra2Startup::chooseGraphicsIntegration();
        QCOMPARE(qgetenv("QT_XCB_GL_INTEGRATION"), QByteArray("xcb_egl"));
    }

    void anEmptyChoiceIsKept()
    {
        qputenv("QT_XCB_GL_INTEGRATION", "");
        Lumetra2Startup::chooseGraphicsIntegration();
        QVERIFY(qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
        QVERIFY(qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"));
    }
};

QTEST_GUILESS_MAIN(TestGraphicsIntegration)
#include "tst_graphicsintegration.moc"
