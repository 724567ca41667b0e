#include "ui/report_selection.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <functional>
#include <utility>

#include "ui/secret_clipboard.h"

namespace {

// Clipboard data that tells when it is read.
class WatchedMimeData : public QMimeData {
public:
    explicit WatchedMimeData(std::function<void()> wasRead) : wasRead_(std::move(wasRead)) {}

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        wasRead_();
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    std::function<void()> wasRead_;
};

// Every text form of the data, including those the toolkit added as it took
// it ("text/plain;charset=utf-8").
void replaceText(QMimeData& data, const QString& text)
{
    const QString plain = QStringLiteral("text/plain");
    for (const QString& format : data.formats())
        if (format.startsWith(plain) && format != plain)
            data.setData(format, text.toUtf8());
    data.setText(text);
}

} // namespace

ReportSelection::ReportSelection() = default;
ReportSelection::~ReportSelection() = default;

void ReportSelection::put(const QString& text)
{
    // The clipboard shows its own owner's data: while that is the selection
    // made last, the window holds the clipboard.
    if (selected_ && QGuiApplication::clipboard()->mimeData() == selected_) {
        replaceText(*selected_, text);
        replaced_ = true;
    } else {
        select(text);
    }
}

void ReportSelection::renew()
{
    if (selected_ && replaced_ && QGuiApplication::clipboard()->mimeData() == selected_)
        select(selected_->text());
}

void ReportSelection::select(const QString& text)
{
    auto read = std::make_shared<bool>(false);
    auto* data = new WatchedMimeData([read] { *read = true; });
    setSecretText(*data, text);
    QGuiApplication::clipboard()->setMimeData(data);
    // The toolkit reads the data once itself as it takes it.
    *read = false;
    selected_ = data;
    replaced_ = false;
    read_ = std::move(read);
    sinceSelected_.start();
}

void ReportSelection::serve()
{
    const auto over = [this] { return *read_ || sinceSelected_.hasExpired(ServeTime.count()); };
    if (!read_ || over())
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(std::chrono::milliseconds(5));
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (over())
            loop.quit();
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
