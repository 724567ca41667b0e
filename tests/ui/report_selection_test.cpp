#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <gtest/gtest.h>

#include "ui/report_selection.h"
#include "ui/secret_clipboard.h"
#include "ui/wayland_platform.h"

namespace {

QClipboard& clipboard()
{
    return *QGuiApplication::clipboard();
}

// The text in each of its forms, the one the toolkit adds included.
void expectReport(const QString& text)
{
    const QMimeData& data = *clipboard().mimeData();
    EXPECT_EQ(data.text(), text);
    for (const QString& format : data.formats()) {
        if (format.startsWith(u"text/plain")) {
            EXPECT_EQ(data.data(format), text.toUtf8()) << format.toStdString();
        }
    }
    EXPECT_TRUE(hasSecretHint(data));
}

TEST(ReportSelection, ReportsReplaceTheTextOfTheSelectionTheWindowHolds)
{
    ReportSelection reports;
    reports.put(QStringLiteral("first"));
    expectReport(QStringLiteral("first"));
    const QMimeData* selection = clipboard().mimeData();
    // The form that Wayland's toolkit adds as it takes the data.
    const_cast<QMimeData*>(selection)->setData(QStringLiteral("text/plain;charset=utf-8"), "first");
    reports.put(QStringLiteral("second"));
    EXPECT_EQ(clipboard().mimeData(), selection) << "a new selection while the window held one";
    expectReport(QStringLiteral("second"));

    // As the window ends, the changed selection is made anew.
    reports.renew();
    EXPECT_NE(clipboard().mimeData(), selection);
    expectReport(QStringLiteral("second"));
    selection = clipboard().mimeData();
    reports.renew();
    EXPECT_EQ(clipboard().mimeData(), selection) << "made anew though unchanged";

    // Once another program has taken the clipboard, a report selects anew,
    // and the window's end leaves the other program's text alone.
    clipboard().setText(QStringLiteral("another program's"));
    reports.renew();
    EXPECT_EQ(clipboard().text(), QStringLiteral("another program's"));
    reports.put(QStringLiteral("third"));
    expectReport(QStringLiteral("third"));
}

TEST(ReportSelection, ServingEndsOnceTheSelectionIsReadAndNeverWaitsForNothing)
{
    if (onWaylandPlatform())
        GTEST_SKIP() << "a compositor reads the selection itself";
    // Far below the serving time, far above a return that waits for nothing.
    constexpr qint64 AtOnce = ReportSelection::ServeTime.count() / 2;
    QElapsedTimer timer;
    timer.start();
    {
        ReportSelection nothingSelected;
        nothingSelected.serve();
    }
    EXPECT_LT(timer.elapsed(), AtOnce);

    ReportSelection reports;
    clipboard().clear();
    reports.put(QStringLiteral("report"));
    QTimer::singleShot(20, [] { clipboard().text(); });
    timer.restart();
    reports.serve();
    EXPECT_LT(timer.elapsed(), ReportSelection::ServeTime.count()) << "read after 20 ms";
    timer.restart();
    reports.serve(); // already read
    EXPECT_LT(timer.elapsed(), AtOnce);

    // Unread, it is served for a bounded time from its making.
    clipboard().clear();
    reports.put(QStringLiteral("unread"));
    timer.restart();
    reports.serve();
    EXPECT_GE(timer.elapsed(), ReportSelection::ServeTime.count() - 10);
    timer.restart();
    reports.serve();
    EXPECT_LT(timer.elapsed(), AtOnce) << "its time is over";
}

} // namespace
