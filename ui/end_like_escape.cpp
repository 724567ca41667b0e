#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "ui/end_signals.h"

void endLikeEscape(QDialog& dialog)
{
    const QString name = QStringLiteral("endLikeEscape");
    if (dialog.findChild<QTimer*>(name, Qt::FindDirectChildrenOnly) != nullptr)
        return; // already ending
    // One step closes what is on top. A nested dialog's exec() returns only
    // once control is back in it, and the code after it may open another
    // box, so the steps go on until the dialog itself is gone.
    auto* steps = new QTimer(&dialog);
    steps->setObjectName(name);
    steps->setInterval(10);
    const auto step = [&dialog, steps] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        } else if (QWidget* modal = QApplication::activeModalWidget();
                   modal != nullptr && modal != &dialog) {
            if (auto* box = qobject_cast<QDialog*>(modal))
                box->reject();
            else
                modal->close();
        } else if (dialog.isVisible()) {
            dialog.reject();
        } else {
            steps->stop();
            steps->deleteLater();
        }
    };
    QObject::connect(steps, &QTimer::timeout, &dialog, step);
    steps->start();
    step();
}
