#include "korvo_settingwidget.h"

#include "korvo_updatelogwidget.h"
#include "nofocusframedelegate.h"
#include "settingvalues.h"

#include <QBitmap>
#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

const char *const Korvo_SettingWidget::BackgroundImage = ":images/images/SettingBKImage.png";

namespace {

const char *const Family = "微软雅黑";

QString pageStyle()
{
    return QStringLiteral("QWidget{font-family:") + QString::fromUtf8(Family) + QStringLiteral(";}")
        + QStringLiteral("QComboBox{border:1px solid white;color:white;padding-left:4px;}"
                         "QPushButton{background-color:white;color:black;border:1px solid white;"
                         "border-radius:3px;font-size:12px;}"
                         "QPushButton:hover{font-size:13px;}"
                         "QPushButton:pressed{font-size:11px;}");
}

QString popupStyle()
{
    return QStringLiteral("QListView{font-family:") + QString::fromUtf8(Family) + QStringLiteral(";}")
        + QStringLiteral("QListView::item:selected:active{background:rgba(255,0,0,230);}"
                         "QListView::item:selected{color:white;}");
}

// The first item whose data equals `value`, or -1.
int itemWith(const QComboBox *combo, const QVariant &value)
{
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemData(i) == value)
            return i;
    }
    return -1;
}

void selectItem(QComboBox *combo, const QVariant &value, const QVariant &fallback)
{
    int index = itemWith(combo, value);
    if (index < 0)
        index = itemWith(combo, fallback);
    combo->setCurrentIndex(index < 0 ? 0 : index);
}

} // namespace

Korvo_SettingWidget::Korvo_SettingWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Korvo_SettingWidget"));
    setStyleSheet(pageStyle());
    // The panel takes its image's size now and its pixels when it is first painted: most runs never
    // open the settings.
    const QSize imageSize = QImageReader(QLatin1String(BackgroundImage)).size();
    resize(imageSize.isValid() ? imageSize : QSize(511, 466));
    buildWidgets();
    placeWidgets();
    setLanguageTexts(m_texts, m_language);

    connect(m_detectUpdate, &QPushButton::released, this, &Korvo_SettingWidget::onBtnDectectUpdateClick);
    connect(m_updateLog, &QPushButton::released, this, &Korvo_SettingWidget::onBtnUpdateLogClick);
    connect(m_languageCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &Korvo_SettingWidget::onCmbLanguageChanged);
    connect(m_pageEffect, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &Korvo_SettingWidget::onCmbPageEffectChanged);
    connect(m_refreshTime, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &Korvo_SettingWidget::onCmbPageRefreshChanged);
}

QLabel *Korvo_SettingWidget::makeLabel(const char *objectName, bool heading)
{
    auto *label = new QLabel(this);
    label->setObjectName(QLatin1String(objectName));
    QFont font = label->font();
    font.setPixelSize(heading ? 15 : 13);
    font.setBold(heading);
    label->setFont(font);
    return label;
}

QComboBox *Korvo_SettingWidget::makeCombo(const char *objectName)
{
    auto *combo = new QComboBox(this);
    combo->setObjectName(QLatin1String(objectName));
    auto *popup = new QListView(combo);
    popup->setItemDelegate(new NoFocusFrameDelegate(popup));
    popup->setStyleSheet(popupStyle());
    combo->setView(popup);
    combo->setFocusPolicy(Qt::NoFocus);
    QFont font = combo->font();
    font.setPixelSize(13);
    combo->setFont(font);
    return combo;
}

void Korvo_SettingWidget::buildWidgets()
{
    m_lblSetting = makeLabel("lbl_Setting", true);
    QFont titleFont = m_lblSetting->font();
    titleFont.setPixelSize(18);
    m_lblSetting->setFont(titleFont);
    m_lblBoot = makeLabel("lbl_Boot", true);
    m_startOnBoot = new QCheckBox(this);
    m_startOnBoot->setObjectName(QStringLiteral("ckb_StartOnBoot"));
    m_minimizeOnStart = new QCheckBox(this);
    m_minimizeOnStart->setObjectName(QStringLiteral("ckb_MinimizeOnStart"));
    m_applyLastSetting = new QCheckBox(this);
    m_applyLastSetting->setObjectName(QStringLiteral("ckb_ApplyLastSettingOnStart"));
    m_lblPageEffect = makeLabel("lbl_PageEffect", false);
    m_pageEffect = makeCombo("cmb_PageEffect");
    m_pageEffect->addItem(m_texts.pageEffectNormal, QLatin1String(SettingValues::NormalPageEffects));
    m_pageEffect->addItem(m_texts.pageEffectAdvanced, QLatin1String(SettingValues::AdvancedPageEffects));
    m_lblLanguage = makeLabel("lbl_Language", false);
    m_languageCombo = makeCombo("cmb_language");
    m_languageCombo->addItem(QStringLiteral("简体中文"), QLatin1String(SettingValues::ChineseLanguage));
    m_languageCombo->addItem(QStringLiteral("English"), QLatin1String(SettingValues::EnglishLanguage));
    m_lblMonitor = makeLabel("lbl_Monitor", true);
    m_lblRefreshTime = makeLabel("lbl_RefreshTime", false);
    m_refreshTime = makeCombo("cmb_RefreshTime");
    for (int seconds : SettingValues::RefreshSeconds)
        m_refreshTime->addItem(QString::number(seconds), seconds);
    m_lblUpdateInOnline = makeLabel("lbl_UpdateInOnline", true);
    m_lblUpdateFrequency = makeLabel("lbl_UpdateFre", false);
    m_updateFrequency = makeCombo("cmb_UpdateFre");
    const QString intervalTexts[] = { m_texts.intervalNone, m_texts.intervalOneWeek, m_texts.intervalOneMonth,
        m_texts.intervalThreeMonths };
    static_assert(
        std::size(intervalTexts) == SettingValues::CheckIntervalDays.size(), "one text per interval");
    for (std::size_t i = 0; i < std::size(intervalTexts); ++i)
        m_updateFrequency->addItem(intervalTexts[i], SettingValues::CheckIntervalDays[i]);
    m_automaticInstall = new QRadioButton(this);
    m_automaticInstall->setObjectName(QStringLiteral("rdb_AutomaticDownloadAndInstall"));
    m_notify = new QRadioButton(this);
    m_notify->setObjectName(QStringLiteral("rdb_TellMeButDoNotDownload"));
    m_automaticInstall->setChecked(true);
    m_detectUpdate = new QPushButton(this);
    m_detectUpdate->setObjectName(QStringLiteral("btnDetectUpdate"));
    m_updateLog = new QPushButton(this);
    m_updateLog->setObjectName(QStringLiteral("btnUpdateLog"));
    for (QPushButton *button : { m_detectUpdate, m_updateLog })
        button->setFocusPolicy(Qt::NoFocus);
    for (QWidget *choice : std::initializer_list<QWidget *> {
             m_startOnBoot, m_minimizeOnStart, m_applyLastSetting, m_automaticInstall, m_notify }) {
        QFont font = choice->font();
        font.setPixelSize(13);
        choice->setFont(font);
        choice->setFocusPolicy(Qt::NoFocus);
    }
}

void Korvo_SettingWidget::placeWidgets()
{
    // Top to bottom in the panel's dark area below its title band.
    constexpr int HeadingX = 30;
    constexpr int ItemX = 45;
    constexpr int ComboX = 230;
    constexpr int ItemWidth = 440;
    constexpr int LabelWidth = ComboX - ItemX - 8;
    constexpr int ComboWidth = 150;
    constexpr int RowHeight = 24;
    m_lblSetting->setGeometry(22, 6, 400, 36);
    m_lblBoot->setGeometry(HeadingX, 56, ItemWidth, 20);
    m_startOnBoot->setGeometry(ItemX, 80, ItemWidth, 22);
    m_minimizeOnStart->setGeometry(ItemX, 104, ItemWidth, 22);
    m_applyLastSetting->setGeometry(ItemX, 128, ItemWidth, 22);
    m_lblPageEffect->setGeometry(ItemX, 160, LabelWidth, RowHeight);
    m_pageEffect->setGeometry(ComboX, 160, ComboWidth, RowHeight);
    m_lblLanguage->setGeometry(ItemX, 192, LabelWidth, RowHeight);
    m_languageCombo->setGeometry(ComboX, 192, ComboWidth, RowHeight);
    m_lblMonitor->setGeometry(HeadingX, 228, ItemWidth, 20);
    m_lblRefreshTime->setGeometry(ItemX, 252, LabelWidth, RowHeight);
    m_refreshTime->setGeometry(ComboX, 252, ComboWidth, RowHeight);
    m_lblUpdateInOnline->setGeometry(HeadingX, 288, ItemWidth, 20);
    m_lblUpdateFrequency->setGeometry(ItemX, 312, LabelWidth, RowHeight);
    m_updateFrequency->setGeometry(ComboX, 312, ComboWidth, RowHeight);
    m_automaticInstall->setGeometry(ItemX, 344, ItemWidth, 22);
    m_notify->setGeometry(ItemX, 368, ItemWidth, 22);
    m_detectUpdate->setGeometry(ItemX, 408, 150, 28);
    m_updateLog->setGeometry(ItemX + 170, 408, 150, 28);
}

void Korvo_SettingWidget::loadSettings(const GeneralSettingRecord &general, const UpdateSettingRecord &update)
{
    m_general = general;
    m_update = update;
    m_startOnBoot->setChecked(general.StartOnBoot);
    m_minimizeOnStart->setChecked(general.MinimizeOnStart);
    m_applyLastSetting->setChecked(general.ApplyLastParamOnStart);
    // An unknown language runs the program in English (only "lang_ch" is Chinese): show and keep that.
    selectItem(m_languageCombo, general.Language, QLatin1String(SettingValues::EnglishLanguage));
    selectItem(m_pageEffect, general.PageEffects, QVariant());
    selectItem(m_refreshTime, general.RefreshTimeOfMonitor, QVariant());
    // An interval no item carries must not turn automatic checks off ("None") when it is saved back.
    selectItem(m_updateFrequency, update.CheckInterval, SettingValues::DefaultCheckDays);
    if (update.UpdateMode != 0)
        m_notify->setChecked(true);
    else
        m_automaticInstall->setChecked(true);
}

void Korvo_SettingWidget::readSettings(GeneralSettingRecord &general, UpdateSettingRecord &update) const
{
    general.StartOnBoot = m_startOnBoot->isChecked();
    general.MinimizeOnStart = m_minimizeOnStart->isChecked();
    general.ApplyLastParamOnStart = m_applyLastSetting->isChecked();
    general.Language = m_languageCombo->currentData().toString();
    general.PageEffects = m_pageEffect->currentData().toString();
    general.RefreshTimeOfMonitor = m_refreshTime->currentData().toInt();
    update.CheckInterval = m_updateFrequency->currentData().toInt();
    update.UpdateMode = m_automaticInstall->isChecked() ? 0 : 2;
    update.UpdateStatus = m_update.UpdateStatus;
}

void Korvo_SettingWidget::setLanguageTexts(const Lang_Settings &texts, LanguageType language)
{
    m_texts = texts;
    m_language = language;
    m_lblSetting->setText(texts.setting);
    m_lblBoot->setText(texts.boot);
    m_startOnBoot->setText(texts.startOnBoot);
    m_minimizeOnStart->setText(texts.minimizeOnStart);
    m_applyLastSetting->setText(texts.applyLastSettingOnStart);
    m_lblPageEffect->setText(texts.pageEffect);
    m_lblLanguage->setText(texts.language);
    m_lblMonitor->setText(texts.monitor);
    m_lblRefreshTime->setText(texts.refreshTime);
    m_lblUpdateInOnline->setText(texts.updateInOnline);
    m_lblUpdateFrequency->setText(texts.updateFrequency);
    m_automaticInstall->setText(texts.automaticDownloadAndInstall);
    m_notify->setText(texts.tellMeButDoNotDownload);
    m_detectUpdate->setText(texts.detectUpdate);
    m_updateLog->setText(texts.updateLog);
    if (m_pageEffect->count() > 1) {
        m_pageEffect->setItemText(0, texts.pageEffectNormal);
        m_pageEffect->setItemText(1, texts.pageEffectAdvanced);
    }
    if (m_updateFrequency->count() > 3) {
        m_updateFrequency->setItemText(0, texts.intervalNone);
        m_updateFrequency->setItemText(1, texts.intervalOneWeek);
        m_updateFrequency->setItemText(2, texts.intervalOneMonth);
        m_updateFrequency->setItemText(3, texts.intervalThreeMonths);
    }
}

void Korvo_SettingWidget::onBtnDectectUpdateClick()
{
    emit dectectUpdate();
}

void Korvo_SettingWidget::onCmbLanguageChanged(int index)
{
    Q_UNUSED(index);
    emit _languageChanged();
}

void Korvo_SettingWidget::onCmbPageEffectChanged(int index)
{
    Q_UNUSED(index);
    emit _pageEffectChanged();
}

void Korvo_SettingWidget::onCmbPageRefreshChanged(int index)
{
    Q_UNUSED(index);
    emit _refreshTimeChanged();
}

void Korvo_SettingWidget::onBtnUpdateLogClick()
{
    Korvo_UpdateLogWidget log(m_language, this);
    log.setModal(true);
    log.exec();
}

void Korvo_SettingWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    if (!m_backgroundLoaded) {
        m_backgroundLoaded = true;
        m_background.load(QLatin1String(BackgroundImage));
        if (!m_background.isNull())
            m_backgroundShape = QRegion(m_background.mask());
    }
    QPainter painter(this);
    // The panel's image is partly see-through; a page rolled in behind it must not show through the texts.
    if (!m_background.isNull()) {
        painter.setClipRegion(m_backgroundShape);
        painter.fillRect(rect(), QColor(16, 16, 18));
        painter.setClipping(false);
    }
    painter.drawPixmap(0, 0, m_background);
}
