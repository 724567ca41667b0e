#include "ui/secret_clipboard.h"

#include <QMimeData>
#include <QString>

QMimeData* makeSecretTextMimeData(const QString& text)
{
    auto* data = new QMimeData;
    setSecretText(*data, text);
    return data;
}

void setSecretText(QMimeData& data, const QString& text)
{
    data.setText(text);
#if defined(Q_OS_WIN)
    // Registered clipboard formats read by the clipboard history and cloud sync.
    const QByteArray zeroDword(4, '\0');
    data.setData(QStringLiteral("application/x-qt-windows-mime;"
                                "value=\"ExcludeClipboardContentFromMonitorProcessing\""),
                 zeroDword);
    data.setData(
        QStringLiteral("application/x-qt-windows-mime;value=\"CanIncludeInClipboardHistory\""),
        zeroDword);
    data.setData(
        QStringLiteral("application/x-qt-windows-mime;value=\"CanUploadToCloudClipboard\""),
        zeroDword);
#elif defined(Q_OS_MACOS)
    data.setData(QStringLiteral("application/x-nspasteboard-concealed-type"), QByteArray());
#else
    data.setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
#endif
}

bool hasSecretHint(const QMimeData& data)
{
#if defined(Q_OS_WIN)
    return data.hasFormat(QStringLiteral(
        "application/x-qt-windows-mime;value=\"ExcludeClipboardContentFromMonitorProcessing\""));
#elif defined(Q_OS_MACOS)
    return data.hasFormat(QStringLiteral("application/x-nspasteboard-concealed-type"));
#else
    return data.data(QStringLiteral("x-kde-passwordManagerHint")) == "secret";
#endif
}
