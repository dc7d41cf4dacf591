#include "updatescreenshots.h"

#include "korvo_messagebox.h"
#include "languagetexts.h"
#include "updatecontroller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QWidget>

UpdateScreenshots::UpdateScreenshots(const QString &outputDir)
    : m_outputDir(outputDir)
{
}

bool UpdateScreenshots::run()
{
    bool ok = true;
    for (const LanguageType language : { English, Chinese }) {
        LanguageTexts texts;
        texts.fill(language);
        const Lang_MainWindow &main = texts.mainWindow();
        const struct
        {
            const char *name;
            int type;
            QString text;
        } boxes[] = {
            { "outdated", MsgBoxOneButton, main.outdatedVersion },
            { "updater_failed", MsgBoxOneButton, main.updaterStartFailed },
            { "question", MsgBoxYesNo, main.updateQuestion },
            { "latest", MsgBoxOneButton, main.latestVersion },
        };
        QWidget window;
        window.resize(800, 507);
        // A palette, not a style sheet: a sheet would cascade into the box's label.
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(30, 30, 34));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.show();
        for (const auto &b : boxes) {
            Korvo_MessageBox box(b.type, QString(), b.text, language, &window);
            UpdateController::fitToText(box);
            box.show();
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 200)
                QApplication::processEvents();
            QImage shot(box.size(), QImage::Format_ARGB32_Premultiplied);
            shot.fill(QColor(30, 30, 34));
            QPainter painter(&shot);
            box.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
            painter.end();
            const QString name
                = QStringLiteral("%1/update_%2_%3.png")
                      .arg(m_outputDir, language == English ? QStringLiteral("en") : QStringLiteral("zh"),
                          QLatin1String(b.name));
            ok = shot.save(name, "PNG") && ok;
            box.hide();
        }
    }
    return ok;
}
