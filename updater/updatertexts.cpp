#include "updatertexts.h"

#include "officialwebsite.h"
#include "settingvalues.h"

namespace {

QString englishFailure(const QString &what)
{
    return what
        + QStringLiteral(", and the update will stop, you can click \u201cretry\u201d to check again. ")
        + QStringLiteral("If this pop up still showing, you can go to our official website (")
        + QLatin1String(OfficialWebSite) + QStringLiteral(") to download the latest version.  ");
}

QString chineseFailure(const QString &what)
{
    return what + QStringLiteral("，更新失败,您可以点击“重试”重新更新。如果还是出现此消息，您可以到")
        + QLatin1String(MakerName) + QStringLiteral("官网(") + QLatin1String(OfficialWebSite)
        + QStringLiteral(")下载最新版本。");
}

} // namespace

UpdaterTexts UpdaterTexts::forLanguage(const QString &languageArgument)
{
    return SettingValues::isChinese(languageArgument) ? chineseTexts() : english();
}

UpdaterTexts UpdaterTexts::english()
{
    UpdaterTexts texts;
    texts.checkFailed = englishFailure(QStringLiteral("Failed to check update information"));
    texts.downloadFailed = englishFailure(QStringLiteral("Failed to download file"));
    texts.extractFailed
        = englishFailure(QStringLiteral("An unexpected error occurred while extracting the files"));
    texts.retry = QStringLiteral("Retry");
    texts.cancel = QStringLiteral("Cancel");
    texts.checking = QStringLiteral("Checking");
    texts.downloading = QStringLiteral("Downloading");
    texts.extracting = QStringLiteral("Extracting");
    texts.noManifest = QStringLiteral("An unknown error occurred while Updateing");
    texts.confirm = QStringLiteral("Confirm");
    return texts;
}

UpdaterTexts UpdaterTexts::chineseTexts()
{
    UpdaterTexts texts;
    texts.checkFailed = chineseFailure(QStringLiteral("校验更新信息出现错误"));
    texts.downloadFailed = chineseFailure(QStringLiteral("下载更新文件出现错误"));
    texts.extractFailed = chineseFailure(QStringLiteral("解压文件出现未知错误"));
    texts.retry = QStringLiteral("重试");
    texts.cancel = QStringLiteral("取消");
    texts.checking = QStringLiteral("正在校验");
    texts.downloading = QStringLiteral("正在下载");
    texts.extracting = QStringLiteral("正在解压");
    texts.noManifest = QStringLiteral("更新时出现一个未知错误");
    texts.confirm = QStringLiteral("确定");
    texts.chinese = true;
    return texts;
}
